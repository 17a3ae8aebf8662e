#pragma once

namespace quillane {

// Ends a process that has used Qt Multimedia, once its own objects are gone.
//
// Qt 6.4 closes its PulseAudio connection from an exit handler without
// holding the PulseAudio main loop's lock; now and then the main loop's
// thread is still dispatching and libpulse aborts ("Assertion ... failed at
// pdispatch.c"), after all the work was done and the status was decided.
// This flushes the standard streams and leaves without the exit handlers:
// the kernel closes the connection. Call it only after the QCoreApplication
// and everything that writes files have been destroyed.
[[noreturn]] void exitAfterSound(int status);

}  // namespace quillane
