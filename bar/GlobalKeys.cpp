#include "bar/GlobalKeys.h"

namespace {

constexpr UINT kModifiers = MOD_WIN | MOD_CONTROL | MOD_ALT | MOD_NOREPEAT;
constexpr int kFirstId = 0x5A00;
constexpr int kRows = 9;
// Ids in order: switch to rows 1..9, previous, next; then the same for moves; then the pin.
constexpr int kPerAction = kRows + 2;
constexpr int kPinId = kFirstId + 2 * kPerAction;

UINT VirtualKeyOf(int slot) {
    if (slot < kRows) {
        return '1' + slot;
    }
    return slot == kRows ? VK_UP : VK_DOWN;
}

} // namespace

void GlobalKeys::Register(HWND owner) {
    Unregister();
    m_owner = owner;
    for (int action = 0; action < 2; ++action) {
        const UINT modifiers = kModifiers | (action == kMove ? MOD_SHIFT : 0);
        for (int slot = 0; slot < kPerAction; ++slot) {
            const int id = kFirstId + action * kPerAction + slot;
            if (::RegisterHotKey(owner, id, modifiers, VirtualKeyOf(slot))) {
                m_registered.push_back(id);
            }
        }
    }
    if (::RegisterHotKey(owner, kPinId, kModifiers, 'P')) {
        m_registered.push_back(kPinId);
    }
}

void GlobalKeys::Unregister() {
    for (int id : m_registered) {
        ::UnregisterHotKey(m_owner, id);
    }
    m_registered.clear();
}

int GlobalKeys::IdOf(const Key& key) {
    if (key.action == kPin) {
        return kPinId;
    }
    const int slot = key.row >= 0 ? key.row : key.row == kPrevious ? kRows : kRows + 1;
    return kFirstId + (key.action == kMove ? kPerAction : 0) + slot;
}

bool GlobalKeys::Decode(WPARAM id, Key* key) {
    const int offset = static_cast<int>(id) - kFirstId;
    if (offset < 0 || offset > kPinId - kFirstId) {
        return false;
    }
    if (offset == kPinId - kFirstId) {
        *key = Key{kPin, 0};
        return true;
    }
    const int slot = offset % kPerAction;
    key->action = offset < kPerAction ? kSwitch : kMove;
    key->row = slot < kRows ? slot : slot == kRows ? kPrevious : kNext;
    return true;
}
