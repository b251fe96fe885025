#include "app/startup.h"

// Start-up shows the main menu and returns to the event loop; the program ends
// when its last window closes.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ShowMainMenu();
    return app.exec();
}
