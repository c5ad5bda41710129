// zenthor as the host whose core interface an importer gets: its log keeps every entry, in
// order, for the import report.
#pragma once

#include <vector>

#include "app/reports/import_report.h"
#include "host/host_interface.h"
#include "host/log_sys.h"

namespace zenthor {

class RecordingHost final : public HostInterface, private LogSys {
public:
    LogSys* Log() override { return this; }
    const std::vector<LogRecord>& Records() const { return m_records; }

private:
    void LogEntry(DWORD type, const char* title, const char* text) override;
    std::vector<LogRecord> m_records;
};

}  // namespace zenthor
