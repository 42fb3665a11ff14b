#pragma once

#include <QString>

// Where a file or folder of the program's own data is: beside the executable (as in a build
// folder) when it is there, else in the installed data folder of the prefix the executable is
// in (share/vimbrel/<name>, from bin/ or libexec/vimbrel/) when it is there; else beside the
// executable.
QString BesideOrInstalled(const QString& executableFolder, const QString& name);
