// What this process's token may do.
#ifndef BRINDLE_SETUP_PROCESS_RIGHTS_H_
#define BRINDLE_SETUP_PROCESS_RIGHTS_H_

// True when this process's token has the Administrators group enabled: an
// elevated run, SYSTEM, or an administrator without User Account Control.
// False for a filtered token and when the membership cannot be read.
bool RunsAsAdministrator();

#endif  // BRINDLE_SETUP_PROCESS_RIGHTS_H_
