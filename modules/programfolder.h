#pragma once
#include <QString>

// Whether the program runs as a portable copy: from a folder the user may write to
// that is not one of the system's program folders. A portable copy keeps its settings
// and proposes its files beside itself; an installed one (under /usr, even when root
// runs it and could write there) keeps them in the user's folders instead.
bool IsPortableProgramFolder(const QString& folder);
