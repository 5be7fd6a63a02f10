#pragma once

// Makes SIGTERM, SIGINT and SIGHUP quit the running QCoreApplication the way a normal quit
// does, so aboutToQuit observers (which save data) run. Call once, after the application exists.
void quitOnTerminationSignals();
