#include "plugin/module_instance.h"

namespace zenthor {

HINSTANCE hInstance = nullptr;

}  // namespace zenthor
