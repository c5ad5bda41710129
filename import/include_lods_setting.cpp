#include "import/include_lods_setting.h"

bool includeLodsSetting = false;
