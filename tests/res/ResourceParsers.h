// Decoders for the binary resource formats the program ships: extended dialog templates, menu
// templates, string blocks, icon groups and version blocks. They read the bytes by hand so that
// the tests see exactly what the resource compiler wrote. Malformed input throws
// std::runtime_error.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A name-or-ordinal field of a template (menu, class, text).
struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring text;
};

struct DialogItem {
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    NameOrOrdinal windowClass, text;
    WORD extraBytes = 0;
};

struct DialogTemplate {
    WORD version = 0, signature = 0;
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu, windowClass;
    std::wstring caption;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::wstring face;
    std::vector<DialogItem> items;
};

DialogTemplate ParseDialogEx(const std::vector<uint8_t>& bytes);

struct MenuEntry {
    WORD flags = 0; // MF_POPUP, MF_END and state flags as stored
    WORD id = 0;    // 0 for popups
    std::wstring text;
    std::vector<MenuEntry> children;
};

struct MenuTemplate {
    WORD version = 0, headerSize = 0;
    std::vector<MenuEntry> items;
};

MenuTemplate ParseMenu(const std::vector<uint8_t>& bytes);

// The sixteen strings of one string block, empty where an id is unused.
std::vector<std::wstring> ParseStringBlock(const std::vector<uint8_t>& bytes);

struct IconGroupEntry {
    BYTE width = 0, height = 0, colorCount = 0, reserved = 0;
    WORD planes = 0, bitCount = 0;
    DWORD bytesInRes = 0;
    WORD id = 0;
};

struct IconGroup {
    WORD reserved = 0, type = 0;
    std::vector<IconGroupEntry> entries;
};

IconGroup ParseIconGroup(const std::vector<uint8_t>& bytes);

// One node of a version block: a key, a binary or text value, and child nodes.
struct VersionNode {
    std::wstring key;
    WORD type = 0; // 1 text, 0 binary
    std::wstring text;
    std::vector<uint8_t> binary;
    std::vector<VersionNode> children;

    const VersionNode* Child(const std::wstring& childKey) const;
};

VersionNode ParseVersion(const std::vector<uint8_t>& bytes);

// The BITMAPINFOHEADER at the start of a bitmap or icon image resource.
BITMAPINFOHEADER ReadInfoHeader(const std::vector<uint8_t>& bytes);
