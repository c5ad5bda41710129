#include "host/mtl_base.h"

MtlBase::MtlBase() = default;
MtlBase::~MtlBase() = default;
Texmap::~Texmap() = default;
