// Builds binary resource data (.res) and extended dialog templates in memory, so tests
// can hand the platform resources that the plug-in's resource script does not have: long
// strings, other controls, malformed data.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/module_resources.h"
#include "tests/support/model_writer.h"

namespace zenthor::test {

// A numbered name or type: 0xFFFF, then the number.
inline ByteWriter& Ordinal(ByteWriter& out, std::uint16_t value) {
    return out.U16(0xFFFF).U16(value);
}

// NUL-terminated UTF-16 from 8-bit text.
inline ByteWriter& Text(ByteWriter& out, const std::string& text) {
    for (unsigned char c : text) out.U16(c);
    return out.U16(0);
}

inline ByteWriter& Align4(ByteWriter& out) {
    while (out.bytes().size() % 4) out.U8(0);
    return out;
}

// A .res file: the leading empty entry, then each resource with a numbered type and name.
class ResBuilder {
public:
    ResBuilder() { Add(0, 0, 0, {}); }

    ResBuilder& Add(std::uint16_t type, std::uint16_t name, std::uint16_t language, const Bytes& data) {
        m_out.U32(static_cast<std::uint32_t>(data.size())).U32(32);  // data size, header size
        Ordinal(Ordinal(m_out, type), name);
        // data version, memory flags, language, version, characteristics
        m_out.U32(0).U16(0x1030).U16(language).U32(0).U32(0);
        Align4(m_out.Raw(data));
        return *this;
    }

    const Bytes& Data() const { return m_out.bytes(); }

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
    return out.Take();
}

struct ItemDesc {
    std::uint16_t classAtom;  // 0: the class is named by className
    std::string text;
    int id;
    std::uint32_t style;
    std::string className = {};
};

// An extended dialog template with a font and the given controls.
inline Bytes DialogTemplateEx(const std::string& title, const std::vector<ItemDesc>& items) {
    ByteWriter out;
    // version, signature, help id, extended style; style: popup, visible, caption, system
    // menu, modal frame, set font
    out.U16(1).U16(0xFFFF).U32(0).U32(0).U32(0x90C800C0);
    out.U16(static_cast<std::uint16_t>(items.size()));
    out.U16(0).U16(0).U16(100).U16(80);  // x, y, cx, cy
    out.U16(0).U16(0);                   // no menu, standard class
    Text(out, title);
    out.U16(8).U16(0).U8(0).U8(1);  // point size, weight, italic, character set
    Text(out, "MS Sans Serif");
    for (const ItemDesc& item : items) {
        Align4(out).U32(0).U32(0).U32(item.style);  // help id, extended style, style
        out.U16(5).U16(5).U16(50).U16(14);
        out.U32(static_cast<std::uint32_t>(item.id));
        if (item.classAtom != 0) {
            Ordinal(out, item.classAtom);
        } else {
            Text(out, item.className);
        }
        Text(out, item.text).U16(0);  // no creation data
    }
    return out.Take();
}

// Tests that register resources of their own for a made-up module, forgotten after each test.
class ScratchModule : public testing::Test {
protected:
    static inline const HINSTANCE kModule = reinterpret_cast<HINSTANCE>(0x5c4a7c00);

    void TearDown() override { platform::UnregisterModuleResources(kModule); }

    static bool Register(const Bytes& res) {
        return platform::RegisterModuleResources(kModule, res.data(), res.size());
    }
};

}  // namespace zenthor::test
