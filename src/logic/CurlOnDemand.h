#pragma once

#include <QString>

// libcurl is loaded when the first transfer needs it, not with the program: with the libraries
// it brings it adds to every start-up, the window's too, and most starts fetch nothing at once.
// The program calls libcurl's functions as usual; until it can be loaded they fail as libcurl
// does when it cannot start. Why it could not be loaded (empty when it was, or was not tried).
QString NetworkLibraryProblem();
