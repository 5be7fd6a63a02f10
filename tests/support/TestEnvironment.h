#pragma once

#include <QString>

// Points HOME and the XDG homes at a fresh temporary directory for the whole test process,
// so no test ever reads or writes the real user's files. Call before Qt reads them.
void isolateUserDirectories();

// The temporary root chosen by isolateUserDirectories().
QString testRoot();
