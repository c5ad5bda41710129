// Builds binary resource data (.res) and extended dialog templates in memory, so tests
// can hand the platform resources that the resource script does not have: long strings,
// other controls, malformed data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zenthor::test {

using Bytes = std::vector<std::uint8_t>;

class ByteWriter {
public:
    void U8(std::uint8_t v) { m_bytes.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v & 0xFF));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v & 0xFFFF));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void Ordinal(std::uint16_t v) {
        U16(0xFFFF);
        U16(v);
    }
    // NUL-terminated UTF-16 from 8-bit text.
    void Text(const std::string& text) {
        for (unsigned char c : text) U16(c);
        U16(0);
    }
    void Align4() {
        while (m_bytes.size() % 4) U8(0);
    }
    void Append(const Bytes& bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    const Bytes& Data() const { return m_bytes; }

private:
    Bytes m_bytes;
};

// A .res file: the leading empty entry, then each resource with a numbered type and name.
class ResBuilder {
public:
    ResBuilder() { Add(0, 0, 0, {}); }

    ResBuilder& Add(std::uint16_t type, std::uint16_t name, std::uint16_t language, const Bytes& data) {
        m_out.U32(static_cast<std::uint32_t>(data.size()));  // data size
        m_out.U32(32);                                       // header size
        m_out.Ordinal(type);
        m_out.Ordinal(name);
        m_out.U32(0);         // data version
        m_out.U16(0x1030);    // memory flags
        m_out.U16(language);  // language
        m_out.U32(0);         // version
        m_out.U32(0);         // characteristics
        m_out.Append(data);
        m_out.Align4();
        return *this;
    }

    const Bytes& Data() const { return m_out.Data(); }

private:
    ByteWriter m_out;
};

// One string-table block: 16 strings of (length, UTF-16 units); absent ones are empty.
inline Bytes StringBlock(const std::vector<std::string>& strings) {
    ByteWriter out;
    for (std::size_t i = 0; i < 16; ++i) {
        const std::string text = i < strings.size() ? strings[i] : std::string();
        out.U16(static_cast<std::uint16_t>(text.size()));
        for (unsigned char c : text) out.U16(c);
    }
    return out.Data();
}

struct ItemSpec {
    std::uint16_t classAtom;
    std::string text;
    int id;
    std::uint32_t style;
};

// An extended dialog template with a font and the given controls.
inline Bytes DialogTemplateEx(const std::string& title, const std::vector<ItemSpec>& items) {
    ByteWriter out;
    out.U16(1);           // version
    out.U16(0xFFFF);      // signature
    out.U32(0);           // help id
    out.U32(0);           // extended style
    out.U32(0x90C800C0);  // popup, visible, caption, system menu, modal frame, set font
    out.U16(static_cast<std::uint16_t>(items.size()));
    for (int v : {0, 0, 100, 80}) out.U16(static_cast<std::uint16_t>(v));
    out.U16(0);  // no menu
    out.U16(0);  // standard class
    out.Text(title);
    out.U16(8);  // point size
    out.U16(0);  // weight
    out.U8(0);   // italic
    out.U8(1);   // character set
    out.Text("MS Sans Serif");
    for (const ItemSpec& item : items) {
        out.Align4();
        out.U32(0);  // help id
        out.U32(0);  // extended style
        out.U32(item.style);
        for (int v : {5, 5, 50, 14}) out.U16(static_cast<std::uint16_t>(v));
        out.U32(static_cast<std::uint32_t>(item.id));
        out.Ordinal(item.classAtom);
        out.Text(item.text);
        out.U16(0);  // no creation data
    }
    return out.Data();
}

}  // namespace zenthor::test
