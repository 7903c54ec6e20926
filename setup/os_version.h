// Platform version test.
#pragma once

// True on Windows NT 6.0 (Vista) or later, as GetVersionExW reports it; false
// if the version cannot be read. Decides between the elevation and pinning
// paths of Vista and later and the older ones.
bool IsVistaOrLater();
