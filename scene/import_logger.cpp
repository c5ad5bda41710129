#include "scene/import_logger.h"

#include "host/import_log.h"
#include "host/log_sys.h"

namespace zenthor {

void ImportLogger::OnReference(const ReferenceRecord& record) {
    if (m_log == nullptr) {
        return;
    }
    using namespace import_log;
    const std::string fields = JoinFields({record.name, record.path});
    switch (record.outcome) {
        case ReferenceOutcome::Loaded:
            m_log->LogEntry(SYSLOG_INFO, kReferenceLoaded, fields.c_str());
            break;
        case ReferenceOutcome::Missing:
            m_log->LogEntry(SYSLOG_WARN, kReferenceMissing, fields.c_str());
            break;
        case ReferenceOutcome::FilteredAsLevelOfDetail:
            m_log->LogEntry(SYSLOG_WARN, kReferenceFiltered, fields.c_str());
            break;
        case ReferenceOutcome::Cycle:
        case ReferenceOutcome::TooDeep:
        case ReferenceOutcome::LimitReached: {
            const char* why = record.outcome == ReferenceOutcome::Cycle     ? kRefusedCycle
                              : record.outcome == ReferenceOutcome::TooDeep ? kRefusedDepth
                                                                            : kRefusedFileLimit;
            m_log->LogEntry(SYSLOG_WARN, kReferenceRefused, JoinFields({record.name, record.path, why}).c_str());
            break;
        }
    }
}

void ImportLogger::OnReferenceRead(const ReferenceRecord& record) {
    if (m_log == nullptr) {
        return;
    }
    const auto problem = m_problems.find(record.path);
    if (record.meshesFound == 0) {
        const std::string why = problem != m_problems.end() ? problem->second : "no mesh entry in it";
        m_log->LogEntry(SYSLOG_WARN, import_log::kReferenceMalformed,
                        import_log::JoinFields({record.name, record.path, why}).c_str());
    }
    if (problem != m_problems.end()) {
        m_problems.erase(problem);
    }
}

void ImportLogger::OnSkipped(const Diagnostic& diagnostic) {
    if (m_log == nullptr) {
        return;
    }
    if (MeansMalformed(diagnostic.reason)) {
        auto [problem, first] = m_problems.try_emplace(diagnostic.file, DescribeProblem(diagnostic));
        if (!first && diagnostic.reason == SkipReason::NoModelChunks) {
            problem->second = DescribeProblem(diagnostic);  // says more than any cut-short chunk
        }
    }
    // Of the loader's other notes only a dropped entry loses content; the rest is format noise.
    if (diagnostic.reason != SkipReason::MeshDropped) {
        return;
    }
    constexpr std::string_view kPrefix = "mesh entry dropped: ";
    std::string_view why = diagnostic.detail;
    if (why.starts_with(kPrefix)) {
        why.remove_prefix(kPrefix.size());
    }
    m_log->LogEntry(SYSLOG_WARN, import_log::kMeshEntryDropped,
                    import_log::JoinFields({diagnostic.file, why}).c_str());
}

void ImportLogger::TrianglesDropped(const std::string& object, std::uint32_t count, const char* why) {
    if (m_log != nullptr && count > 0) {
        m_log->LogEntry(SYSLOG_WARN, import_log::kTrianglesDropped,
                        import_log::JoinFields({object, std::to_string(count), why}).c_str());
    }
}

void ImportLogger::TextureNotFound(const std::string& object, const std::string& path) {
    if (m_log != nullptr) {
        m_log->LogEntry(SYSLOG_WARN, import_log::kTextureNotFound, import_log::JoinFields({object, path}).c_str());
    }
}

void ImportLogger::ObjectNotCreated(const std::string& object) {
    if (m_log != nullptr) {
        m_log->LogEntry(SYSLOG_WARN, import_log::kObjectNotCreated, import_log::JoinFields({object}).c_str());
    }
}

}  // namespace zenthor
