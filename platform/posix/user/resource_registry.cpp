// The per-process registry of module resources, and the Windows calls that read it:
// FindResourceA, LoadResource, LockResource, SizeofResource and LoadStringA.
#include "platform/posix/user/resource_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/module_resources.h"
#include "platform/posix/user/text.h"

namespace platform::user {
namespace {

constexpr std::uint16_t kLanguageEnglishUs = 1033;
constexpr std::uint16_t kLanguageNeutral = 0;
// Each resource header holds, after its type and name, a data version (4 bytes),
// memory flags (2), language (2), version (4) and characteristics (4).
constexpr std::size_t kHeaderTailSize = 16;

using ModuleResources = std::vector<Resource>;

class Registry {
public:
    static Registry& Instance() {
        static Registry registry;
        return registry;
    }

    void Set(HINSTANCE module, std::shared_ptr<const ModuleResources> resources) {
        std::lock_guard lock(m_mutex);
        m_modules[module] = std::move(resources);
    }

    void Erase(HINSTANCE module) {
        std::lock_guard lock(m_mutex);
        m_modules.erase(module);
    }

    std::shared_ptr<const ModuleResources> Find(HINSTANCE module) const {
        std::lock_guard lock(m_mutex);
        auto it = m_modules.find(module);
        return it == m_modules.end() ? nullptr : it->second;
    }

private:
    mutable std::mutex m_mutex;
    std::map<HINSTANCE, std::shared_ptr<const ModuleResources>> m_modules;
};

// What a caller asks for: a number (MAKEINTRESOURCEA(n) or "#n") or a name.
struct ResourceQuery {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::string name;  // upper case
};

std::optional<ResourceQuery> MakeQuery(LPCSTR id) {
    ResourceQuery query;
    if (IS_INTRESOURCE(id)) {
        query.isOrdinal = true;
        query.ordinal = static_cast<std::uint16_t>(reinterpret_cast<UINT_PTR>(id));
        return query;
    }
    if (id[0] == '#') {
        char* end = nullptr;
        unsigned long value = std::strtoul(id + 1, &end, 10);
        if (end == id + 1 || *end != '\0' || value > 0xFFFF) return std::nullopt;
        query.isOrdinal = true;
        query.ordinal = static_cast<std::uint16_t>(value);
        return query;
    }
    for (const char* c = id; *c; ++c) {
        query.name.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(*c))));
    }
    return query;
}

bool Matches(const NameOrOrdinal& stored, const ResourceQuery& query) {
    if (stored.isOrdinal != query.isOrdinal) return false;
    if (stored.isOrdinal) return stored.ordinal == query.ordinal;
    if (stored.name.size() != query.name.size()) return false;
    for (std::size_t i = 0; i < stored.name.size(); ++i) {
        char c = NarrowCodeUnit(stored.name[i]);
        if (std::toupper(static_cast<unsigned char>(c)) != static_cast<unsigned char>(query.name[i]))
            return false;
    }
    return true;
}

const Resource* FindIn(const ModuleResources& resources, LPCSTR type, LPCSTR name) {
    if (type == nullptr || name == nullptr) return nullptr;
    auto typeQuery = MakeQuery(type);
    auto nameQuery = MakeQuery(name);
    if (!typeQuery || !nameQuery) return nullptr;
    const Resource* best = nullptr;
    auto rank = [](std::uint16_t language) {
        return language == kLanguageEnglishUs ? 0 : language == kLanguageNeutral ? 1 : 2;
    };
    for (const Resource& resource : resources) {
        if (!Matches(resource.type, *typeQuery) || !Matches(resource.name, *nameQuery)) continue;
        if (best == nullptr || rank(resource.language) < rank(best->language)) best = &resource;
    }
    return best;
}

// One resource whose header starts at the cursor (already aligned).
bool ParseOne(std::span<const std::uint8_t> bytes, std::size_t start, Resource& resource, std::size_t& next) {
    ByteCursor cursor(bytes.subspan(start));
    std::uint32_t dataSize = 0;
    std::uint32_t headerSize = 0;
    if (!cursor.ReadU32(dataSize) || !cursor.ReadU32(headerSize)) return false;
    std::size_t remaining = bytes.size() - start;
    if (headerSize < 8 || headerSize > remaining) return false;

    // The type, name and fixed fields must lie inside the header that claims them.
    ByteCursor header(bytes.subspan(start, headerSize));
    header.Skip(8);
    std::uint32_t dataVersion = 0;
    std::uint16_t memoryFlags = 0;
    if (!header.ReadNameOrOrdinal(resource.type) || !header.ReadNameOrOrdinal(resource.name) ||
        !header.AlignTo4() || header.Remaining() < kHeaderTailSize || !header.ReadU32(dataVersion) ||
        !header.ReadU16(memoryFlags) || !header.ReadU16(resource.language)) {
        return false;
    }

    if (dataSize > remaining - headerSize) return false;
    const std::uint8_t* data = bytes.data() + start + headerSize;
    resource.data.assign(data, data + dataSize);

    // Resources follow each other on 4-byte boundaries; the last one's padding may be absent.
    std::size_t end = start + headerSize + dataSize;
    next = std::min(bytes.size(), end + (4 - end % 4) % 4);
    return true;
}

}  // namespace

std::optional<std::vector<Resource>> ParseResFile(std::span<const std::uint8_t> bytes) {
    std::vector<Resource> resources;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        Resource resource;
        std::size_t next = 0;
        if (!ParseOne(bytes, pos, resource, next)) return std::nullopt;
        if (!(resource.type.isOrdinal && resource.type.ordinal == 0))
            resources.push_back(std::move(resource));
        pos = next;
    }
    return resources;
}

std::optional<std::vector<std::uint8_t>> CopyResourceData(HINSTANCE module, LPCSTR type, LPCSTR name) {
    auto resources = Registry::Instance().Find(module);
    if (!resources) return std::nullopt;
    const Resource* resource = FindIn(*resources, type, name);
    if (resource == nullptr) return std::nullopt;
    return resource->data;
}

}  // namespace platform::user

namespace platform {

bool RegisterModuleResources(HINSTANCE module, const void* resData, std::size_t size) {
    if (module == nullptr || (resData == nullptr && size != 0)) return false;
    auto resources = user::ParseResFile({static_cast<const std::uint8_t*>(resData), size});
    if (!resources) return false;
    user::Registry::Instance().Set(module,
                                   std::make_shared<const user::ModuleResources>(std::move(*resources)));
    return true;
}

void UnregisterModuleResources(HINSTANCE module) {
    user::Registry::Instance().Erase(module);
}

ModuleResourceRegistration::ModuleResourceRegistration(const void* resData, std::size_t size)
    : m_module(ModuleHandleFromAddress(resData)) {
    m_registered = RegisterModuleResources(m_module, resData, size);
}

ModuleResourceRegistration::~ModuleResourceRegistration() {
    if (m_registered) UnregisterModuleResources(m_module);
}

}  // namespace platform

using platform::user::Registry;
using platform::user::Resource;

// A resource handle is the address of the registered resource; it stays valid while
// the module's resources are registered (as on Windows, while the module is loaded).
extern "C" HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    auto resources = Registry::Instance().Find(module);
    if (!resources) return nullptr;
    const Resource* resource = platform::user::FindIn(*resources, type, name);
    return reinterpret_cast<HRSRC>(const_cast<Resource*>(resource));
}

namespace {

// The resource behind `handle` when it is one of `module`'s.
const Resource* Lookup(HMODULE module, HRSRC handle) {
    auto resources = Registry::Instance().Find(module);
    if (!resources || handle == nullptr) return nullptr;
    for (const Resource& resource : *resources) {
        if (reinterpret_cast<HRSRC>(const_cast<Resource*>(&resource)) == handle) return &resource;
    }
    return nullptr;
}

}  // namespace

extern "C" HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    const Resource* found = Lookup(module, resource);
    if (found == nullptr) return nullptr;
    // An empty resource still gets a non-null handle, as on Windows.
    static const std::uint8_t kEmpty = 0;
    return const_cast<std::uint8_t*>(found->data.empty() ? &kEmpty : found->data.data());
}

extern "C" LPVOID WINAPI LockResource(HGLOBAL resourceData) {
    return resourceData;
}

extern "C" DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
    const Resource* found = Lookup(module, resource);
    return found == nullptr ? 0 : static_cast<DWORD>(found->data.size());
}

// Strings live in blocks of 16 (block n + 1 holds ids 16n to 16n + 15), each string a
// 16-bit length followed by that many UTF-16 units. The text is cut to bufferMax - 1
// characters and always NUL-terminated; the result is the number of characters stored,
// 0 for a missing or empty string.
extern "C" int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    if (buffer == nullptr || bufferMax <= 0) return 0;
    buffer[0] = '\0';
    if (id > 0xFFFF) return 0;
    auto block = platform::user::CopyResourceData(instance, RT_STRING, MAKEINTRESOURCEA((id >> 4) + 1));
    if (!block) return 0;

    platform::user::ByteCursor cursor(*block);
    std::uint16_t length = 0;
    for (UINT index = 0; index < (id & 15); ++index) {
        if (!cursor.ReadU16(length) || !cursor.Skip(std::size_t{length} * 2)) return 0;
    }
    if (!cursor.ReadU16(length)) return 0;
    std::size_t count = std::min<std::size_t>(length, static_cast<std::size_t>(bufferMax) - 1);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t unit = 0;
        if (!cursor.ReadU16(unit)) {
            buffer[0] = '\0';
            return 0;
        }
        buffer[i] = platform::user::NarrowCodeUnit(static_cast<char16_t>(unit));
    }
    buffer[count] = '\0';
    return static_cast<int>(count);
}
