#pragma once

// Keeps every Mesa driver module loaded now (*_dri.so) mapped until the
// process ends. Mesa unloads its driver at exit, before the leak checker runs,
// and the checker then cannot name the driver's own leaks, so the
// suppressions for it do not match. Call it after the tests have run, while a
// GL context has been used.
void PinGlDriversForLeakReports();
