#include "plugin/string_resources.h"

#include "platform/windows_api.h"
#include "plugin/module_instance.h"

namespace zenthor {
namespace {

char stringBuffer[256];

}  // namespace

const char* GetString(int id) {
    if (hInstance == nullptr) {
        return nullptr;
    }
    return LoadStringA(hInstance, static_cast<UINT>(id), stringBuffer, sizeof stringBuffer) != 0
               ? stringBuffer
               : nullptr;
}

}  // namespace zenthor
