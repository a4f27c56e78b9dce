// The log-on task through Task Scheduler 2.0.
#pragma once

// Registers (or replaces) the task that starts the client in `installDir` at
// the current user's log-on with the highest privileges. 1 on success, and
// where Task Scheduler 2.0 does not exist (the Run entry alone starts the
// client there); 0 after a logged failure.
int RegisterLogonTask(const char* installDir);
// Deletes the task; 1 also when there was none, 0 after a logged failure.
int RemoveLogonTask();
// Registers the task again without waiting for the answer (logged): a
// client whose start with Windows was switched on before it knew the task,
// or whose task was removed, gets it back at its next start.
void RenewLogonTask(const char* installDir);
