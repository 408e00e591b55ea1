#include "ResourceParsers.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

// Little-endian cursor over a resource; offsets are relative to the resource's start, which the
// linker aligns to at least 4 bytes, so alignment is computed on them.
class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes, size_t begin = 0, size_t end = SIZE_MAX)
        : m_bytes(bytes), m_pos(begin), m_end(end == SIZE_MAX ? bytes.size() : end) {
        if (m_end > m_bytes.size())
            throw std::runtime_error("block runs past the resource");
    }

    size_t Pos() const { return m_pos; }
    bool AtEnd() const { return m_pos >= m_end; }

    void Need(size_t n) const {
        if (m_pos + n > m_end)
            throw std::runtime_error("truncated resource");
    }
    BYTE Byte() {
        Need(1);
        return m_bytes[m_pos++];
    }
    WORD Word() {
        Need(2);
        const WORD v = static_cast<WORD>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    short Short() { return static_cast<short>(Word()); }
    DWORD Dword() {
        const DWORD lo = Word();
        return lo | (static_cast<DWORD>(Word()) << 16);
    }
    void Align4() {
        m_pos = (m_pos + 3) & ~static_cast<size_t>(3);
        if (m_pos > m_end)
            m_pos = m_end;
    }
    void Skip(size_t n) {
        Need(n);
        m_pos += n;
    }
    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); c != 0; c = Word())
            s.push_back(static_cast<wchar_t>(c));
        return s;
    }
    std::wstring Counted(size_t chars) {
        std::wstring s;
        for (size_t i = 0; i < chars; ++i)
            s.push_back(static_cast<wchar_t>(Word()));
        return s;
    }
    NameOrOrdinal NameOrOrd() {
        NameOrOrdinal n;
        Need(2);
        const WORD first = static_cast<WORD>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
        if (first == 0xFFFF) {
            Word();
            n.isOrdinal = true;
            n.ordinal = Word();
        } else {
            n.text = String();
        }
        return n;
    }
    std::vector<uint8_t> Bytes(size_t n) {
        Need(n);
        std::vector<uint8_t> v(m_bytes.begin() + static_cast<ptrdiff_t>(m_pos),
                               m_bytes.begin() + static_cast<ptrdiff_t>(m_pos + n));
        m_pos += n;
        return v;
    }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_pos, m_end;
};

void ParseMenuLevel(Reader& r, std::vector<MenuEntry>& out) {
    for (;;) {
        MenuEntry e;
        e.flags = r.Word();
        if (e.flags & MF_POPUP) {
            e.text = r.String();
            ParseMenuLevel(r, e.children);
        } else {
            e.id = r.Word();
            e.text = r.String();
        }
        const bool last = (e.flags & MF_END) != 0;
        out.push_back(std::move(e));
        if (last)
            return;
    }
}

VersionNode ParseVersionNode(const std::vector<uint8_t>& bytes, size_t begin) {
    Reader head(bytes, begin);
    const WORD length = head.Word();
    Reader r(bytes, begin, begin + length);
    r.Word();
    const WORD valueLength = r.Word();
    VersionNode node;
    node.type = r.Word();
    node.key = r.String();
    r.Align4();
    if (valueLength > 0) {
        // Text values count characters (with or without the terminator, compilers differ);
        // binary values count bytes.
        if (node.type == 1) {
            node.text = r.Counted(valueLength);
            while (!node.text.empty() && node.text.back() == L'\0')
                node.text.pop_back();
        } else {
            node.binary = r.Bytes(valueLength);
        }
    }
    r.Align4();
    while (!r.AtEnd()) {
        const size_t childStart = r.Pos();
        Reader childHead(bytes, childStart);
        const WORD childLength = childHead.Word();
        if (childLength == 0)
            throw std::runtime_error("empty version node");
        node.children.push_back(ParseVersionNode(bytes, childStart));
        r.Skip(std::min<size_t>(childLength, begin + length - childStart));
        r.Align4();
    }
    return node;
}

} // namespace

DialogTemplate ParseDialogEx(const std::vector<uint8_t>& bytes) {
    Reader r(bytes);
    DialogTemplate d;
    d.version = r.Word();
    d.signature = r.Word();
    if (d.version != 1 || d.signature != 0xFFFF)
        throw std::runtime_error("not an extended dialog template");
    d.helpId = r.Dword();
    d.exStyle = r.Dword();
    d.style = r.Dword();
    const WORD count = r.Word();
    d.x = r.Short();
    d.y = r.Short();
    d.cx = r.Short();
    d.cy = r.Short();
    d.menu = r.NameOrOrd();
    d.windowClass = r.NameOrOrd();
    d.caption = r.String();
    if (d.style & (DS_SETFONT | DS_SHELLFONT)) {
        d.pointSize = r.Word();
        d.weight = r.Word();
        d.italic = r.Byte();
        d.charset = r.Byte();
        d.face = r.String();
    }
    for (WORD i = 0; i < count; ++i) {
        r.Align4();
        DialogItem item;
        item.helpId = r.Dword();
        item.exStyle = r.Dword();
        item.style = r.Dword();
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        item.id = r.Dword();
        item.windowClass = r.NameOrOrd();
        item.text = r.NameOrOrd();
        item.extraBytes = r.Word();
        r.Skip(item.extraBytes);
        d.items.push_back(std::move(item));
    }
    return d;
}

MenuTemplate ParseMenu(const std::vector<uint8_t>& bytes) {
    Reader r(bytes);
    MenuTemplate m;
    m.version = r.Word();
    m.headerSize = r.Word();
    if (m.version != 0)
        throw std::runtime_error("not a standard menu template");
    r.Skip(m.headerSize);
    ParseMenuLevel(r, m.items);
    return m;
}

std::vector<std::wstring> ParseStringBlock(const std::vector<uint8_t>& bytes) {
    Reader r(bytes);
    std::vector<std::wstring> strings;
    for (int i = 0; i < 16; ++i)
        strings.push_back(r.Counted(r.Word()));
    return strings;
}

IconGroup ParseIconGroup(const std::vector<uint8_t>& bytes) {
    Reader r(bytes);
    IconGroup g;
    g.reserved = r.Word();
    g.type = r.Word();
    const WORD count = r.Word();
    for (WORD i = 0; i < count; ++i) {
        IconGroupEntry e;
        e.width = r.Byte();
        e.height = r.Byte();
        e.colorCount = r.Byte();
        e.reserved = r.Byte();
        e.planes = r.Word();
        e.bitCount = r.Word();
        e.bytesInRes = r.Dword();
        e.id = r.Word();
        g.entries.push_back(e);
    }
    return g;
}

const VersionNode* VersionNode::Child(const std::wstring& childKey) const {
    for (const VersionNode& c : children)
        if (c.key == childKey)
            return &c;
    return nullptr;
}

VersionNode ParseVersion(const std::vector<uint8_t>& bytes) {
    return ParseVersionNode(bytes, 0);
}

BITMAPINFOHEADER ReadInfoHeader(const std::vector<uint8_t>& bytes) {
    BITMAPINFOHEADER h{};
    if (bytes.size() < sizeof h)
        throw std::runtime_error("resource smaller than a bitmap header");
    std::memcpy(&h, bytes.data(), sizeof h);
    return h;
}
