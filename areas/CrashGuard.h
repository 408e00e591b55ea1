#pragma once

// Brings every held window back when the process dies of a fault it cannot recover from: an
// unhandled exception, std::terminate (an exception nothing catches, such as running out of
// memory in a snapshot, or one that leaves a message handler) or abort. It shows what the window keeper lists, so it covers every
// moment: in the middle of a switch, of a delete, of the exit. Installed once; it acts while a
// keeper exists.
class CrashGuard {
public:
    static void Install();
};
