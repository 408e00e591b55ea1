#pragma once
#include <windows.h>
#include <vector>

// The keys that work from anywhere, all with Win+Ctrl+Alt: a digit 1 to 9 switches to that row,
// Up and Down to the previous and next row (wrapping round); with Shift as well they move the
// foreground window there instead; P pins or unpins the foreground window. Win+Ctrl+Alt keeps
// them clear of AltGr (Ctrl+Alt types characters on many layouts) and of the system's own
// Win+digit and Win+Ctrl+arrow keys. A key another program already holds is left to it.
class GlobalKeys {
public:
    enum Action { kSwitch, kMove, kPin };
    static constexpr int kPrevious = -1;
    static constexpr int kNext = -2;
    struct Key {
        Action action;
        int row; // 0 to 8, kPrevious or kNext; unused for kPin
    };

    GlobalKeys() = default;
    GlobalKeys(const GlobalKeys&) = delete;
    GlobalKeys& operator=(const GlobalKeys&) = delete;
    ~GlobalKeys() { Unregister(); }

    // Registers every key that is free for `owner`, whose WM_HOTKEY then carries the key's id.
    void Register(HWND owner);
    void Unregister();
    // What the key with this id does; false for an id that is none of ours.
    static bool Decode(WPARAM id, Key* key);
    // The id of a key, as WM_HOTKEY carries it.
    static int IdOf(const Key& key);

private:
    HWND m_owner = nullptr;
    std::vector<int> m_registered;
};
