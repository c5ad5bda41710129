// The common base of materials and texture maps: a name.
#pragma once

#include "host/cstr.h"
#include "host/host_api.h"

class HOST_API MtlBase {
public:
    MtlBase();
    virtual ~MtlBase();
    MtlBase(const MtlBase&) = delete;
    MtlBase& operator=(const MtlBase&) = delete;

    void SetName(const CStr& name) { m_name = name; }
    const CStr& GetName() const { return m_name; }

private:
    CStr m_name;
};

// A texture map.
class HOST_API Texmap : public MtlBase {
public:
    ~Texmap() override;
};
