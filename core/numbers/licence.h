#pragma once
#include <QString>

// The terms on which the program is passed on, as `tessaray --version`,
// `tessaray-cli --version` and the About box state them. The program links Qt Charts,
// which Debian ships under the GPL version 3 only; the whole program is therefore
// under the GPL, version 3 or (at the user's choice) any later version.
inline QString ProgramLicence()
{
    return QStringLiteral(
        "Copyright (C) 2026 Marlowind\n"
        "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n");
}
