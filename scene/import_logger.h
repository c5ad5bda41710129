// Tells the host's log what one import read and what it left out (see host/import_log.h),
// as the loader and the scene builder meet it. Without a host log it says nothing.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "model/load_observer.h"

class LogSys;

namespace zenthor {

class ImportLogger final : public LoadObserver {
public:
    explicit ImportLogger(LogSys* log) : m_log(log) {}

    void OnReference(const ReferenceRecord& record) override;
    void OnReferenceRead(const ReferenceRecord& record) override;
    void OnSkipped(const Diagnostic& diagnostic) override;

    void TrianglesDropped(const std::string& object, std::uint32_t count, const char* why);
    void TextureNotFound(const std::string& object, const std::string& path);
    void ObjectNotCreated(const std::string& object);

private:
    LogSys* m_log;
    // Of each file being read, what most tells why it may give nothing (DescribeProblem).
    std::map<std::string, std::string> m_problems;
};

}  // namespace zenthor
