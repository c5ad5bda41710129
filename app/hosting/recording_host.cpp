#include "app/hosting/recording_host.h"

namespace zenthor {

void RecordingHost::LogEntry(DWORD type, const char* title, const char* text) {
    m_records.push_back({type, title != nullptr ? title : "", text != nullptr ? text : ""});
}

}  // namespace zenthor
