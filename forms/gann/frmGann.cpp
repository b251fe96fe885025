#include "forms/gann/frmGann.h"

frmGann::frmGann(QWidget* parent) : QWidget(parent) { setWindowTitle("Gann"); setObjectName("frmGann"); }
frmGann86::frmGann86(QWidget* parent) : QWidget(parent) { setWindowTitle("Gann"); setObjectName("frmGann86"); }
