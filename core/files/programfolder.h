#pragma once
#include <QString>
#include <QStringList>

// Whether the program runs as a portable copy: from a folder the user may write to
// that is not one of the system's program folders. A portable copy keeps its settings
// and proposes its files beside itself; an installed one (under /usr, even when root
// runs it and could write there) keeps them in the user's folders instead.
bool IsPortableProgramFolder(const QString& folder);

// Where file dialogs propose a file first meant for `folder`: that folder when it is
// one the rule above allows (the user may write there, and it is no system folder),
// else the first of `fallbacks` (the documents folder, then the home folder) that is;
// `folder` itself when none is.
QString FolderToPropose(const QString& folder, const QStringList& fallbacks);
