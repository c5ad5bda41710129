// What zenthor browse makes of a request's bytes before anything answers it: where a head
// ends and when it is too large, the Range lines it answers itself, the pages it answers, the
// range it serves, and the file name a download is saved under.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/browse/browse_request.h"
#include "app/browse/responses.h"

namespace zenthor {
namespace {

using Status = RequestHeadScanner::Status;

std::string HeadWithLines(std::size_t lines, std::size_t lineSize = 6) {
    std::string head = "GET / HTTP/1.1\r\n";
    for (std::size_t i = 0; i < lines; ++i) head += "X: " + std::string(lineSize - 5, 'a') + "\r\n";
    return head + "\r\n";
}

// A head of one header line, `size` bytes in all.
std::string HeadOfSize(std::size_t size) {
    return "GET / HTTP/1.1\r\nX: " + std::string(size - 23, 'a') + "\r\n\r\n";
}

TEST(BrowseHead, EndsAtTheFirstEmptyLineOrIsRefusedPastItsBounds) {
    const std::string next = "GET /next HTTP/1.1\r\n";
    const struct {
        const char* what;
        std::string bytes;
        Status status;
        std::size_t length;  // Complete
    } cases[] = {
        {"a plain head, the next request after it", "GET / HTTP/1.1\r\nHost: a\r\n\r\n" + next,
         Status::Complete, 27},
        {"a head without headers", "GET / HTTP/1.1\r\n\r\n", Status::Complete, 18},
        {"not yet ended", "GET / HTTP/1.1\r\nHost: a\r\n", Status::Incomplete, 0},
        {"bare line feeds end no head", "GET / HTTP/1.1\n\nHost: a\n\n", Status::Incomplete, 0},
        {"the most header lines", HeadWithLines(kMaxHeaderLines), Status::Complete,
         HeadWithLines(kMaxHeaderLines).size()},
        {"one header line more", HeadWithLines(kMaxHeaderLines + 1), Status::TooLarge, 0},
        {"the most bytes", HeadOfSize(kMaxHeadBytes), Status::Complete, kMaxHeadBytes},
        {"one byte more", HeadOfSize(kMaxHeadBytes + 1), Status::TooLarge, 0},
        {"one line that never ends", "GET /" + std::string(kMaxHeadBytes, 'a'), Status::TooLarge, 0},
    };
    for (const auto& c : cases) {
        // Whole, and byte by byte as a slow client sends it: the same answer.
        RequestHeadScanner whole;
        EXPECT_EQ(whole.Scan(c.bytes), c.status) << c.what;
        RequestHeadScanner slow;
        Status status = Status::Incomplete;
        for (std::size_t n = 1; n <= c.bytes.size() && status == Status::Incomplete; ++n) {
            status = slow.Scan(std::string_view(c.bytes).substr(0, n));
        }
        EXPECT_EQ(status, c.status) << c.what;
        if (c.status == Status::Complete) {
            EXPECT_EQ(whole.Length(), c.length) << c.what;
            EXPECT_EQ(slow.Length(), c.length) << c.what;
        }
    }
}

TEST(BrowseHead, RangeLinesAreTakenOutInAnyLetterCase) {
    const RequestHead head = SplitRequestHead(
        "GET /api/view?path=a.model HTTP/1.1\r\nHost: h\r\nRANGE: bytes=0-1\r\nX-Range: keep\r\n"
        "range:bytes=5-\r\n\r\n");
    EXPECT_EQ(head.method, "GET");
    EXPECT_EQ(head.target, "/api/view?path=a.model");
    EXPECT_EQ(head.text, "GET /api/view?path=a.model HTTP/1.1\r\nHost: h\r\nX-Range: keep\r\n\r\n");
    EXPECT_EQ(head.ranges, (std::vector<std::string>{"bytes=0-1", "bytes=5-"}));
}

TEST(BrowseOrigin, OnlyThePageItselfOrNoPageReachesTheApi) {
    const std::vector<std::string> hosts = HostNamesFor("127.0.0.1", 8765);
    const struct {
        std::vector<std::string> origins;
        std::vector<std::string> fetchSites;
        bool allowed;
    } cases[] = {
        {{}, {}, true},  // curl
        {{"http://127.0.0.1:8765"}, {"same-origin"}, true},
        {{"http://LOCALHOST:8765"}, {}, true},
        {{}, {"none"}, true},         // typed into the address bar
        {{}, {"cross-site"}, false},  // an <img> on another site
        {{}, {"same-site"}, false},
        {{"http://127.0.0.1:8765"}, {"cross-site"}, false},
        {{"http://evil.example"}, {}, false},
        {{"null"}, {}, false},
        {{"https://127.0.0.1:8765"}, {}, false},
        {{"http://127.0.0.1:8766"}, {}, false},
        {{"http://127.0.0.1"}, {}, false},
        {{"http://127.0.0.1:8765", "http://evil.example"}, {}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameOriginRequest(c.origins, c.fetchSites, hosts), c.allowed)
            << ::testing::PrintToString(c.origins) << " " << ::testing::PrintToString(c.fetchSites);
    }
}

TEST(BrowseRange, OneRangeIsServedAndEverythingElseGetsTheWholeOrNothing) {
    using Kind = ByteRange::Kind;
    std::string many = "bytes=0-0";
    for (int i = 0; i < 800; ++i) many += ",0-0";
    const struct {
        std::vector<std::string> values;
        bool ifRange;
        std::uint64_t size;
        Kind kind;
        std::uint64_t first, length;
    } cases[] = {
        {{"bytes=0-9"}, false, 100, Kind::Part, 0, 10},
        {{" Bytes=10-"}, false, 100, Kind::Part, 10, 90},
        {{"bytes=90-1000"}, false, 100, Kind::Part, 90, 10},
        {{"bytes=-5"}, false, 100, Kind::Part, 95, 5},
        {{"bytes=-500"}, false, 100, Kind::Part, 0, 100},
        {{"bytes=99-99"}, false, 100, Kind::Part, 99, 1},
        {{"bytes=99999999999999999999999-"}, false, 100, Kind::Unsatisfiable, 0, 0},
        {{"bytes=0-99999999999999999999999"}, false, 100, Kind::Part, 0, 100},
        {{"bytes=100-"}, false, 100, Kind::Unsatisfiable, 0, 0},
        {{"bytes=99999-"}, false, 6000, Kind::Unsatisfiable, 0, 0},
        {{"bytes=-0"}, false, 100, Kind::Unsatisfiable, 0, 0},
        {{"bytes=0-"}, false, 0, Kind::Unsatisfiable, 0, 0},
        {{"bytes=0-1,5-6"}, false, 100, Kind::Whole, 0, 0},
        {{many}, false, 100, Kind::Whole, 0, 0},
        {{"bytes=0-1", "bytes=2-3"}, false, 100, Kind::Whole, 0, 0},
        {{"bytes=5-1"}, false, 100, Kind::Whole, 0, 0},
        {{"bytes=-"}, false, 100, Kind::Whole, 0, 0},
        {{"bytes=a-b"}, false, 100, Kind::Whole, 0, 0},
        {{"bytes=0 - 9"}, false, 100, Kind::Whole, 0, 0},
        {{"items=0-9"}, false, 100, Kind::Whole, 0, 0},
        {{"bytes=0-9"}, true, 100, Kind::Whole, 0, 0},
        {{}, false, 100, Kind::Whole, 0, 0},
    };
    for (const auto& c : cases) {
        const std::string what = ::testing::PrintToString(c.values) + (c.ifRange ? " If-Range" : "");
        const ByteRange range = RangeOf(c.values, c.ifRange, c.size);
        EXPECT_EQ(range.kind, c.kind) << what;
        if (c.kind == Kind::Part) {
            EXPECT_EQ(range.first, c.first) << what;
            EXPECT_EQ(range.length, c.length) << what;
        }
    }
}

TEST(BrowseDownloadName, IsOneParameterPairWhateverTheNameHolds) {
    const std::pair<std::string, std::string> cases[] = {
        {"sample.glb", R"(attachment; filename="sample.glb"; filename*=UTF-8''sample.glb)"},
        {"x.exe\"; filename*=UTF-8''evil.html; a=\".glb",
         R"(attachment; filename="x.exe__ filename*=UTF-8''evil.html_ a=_.glb"; )"
         R"(filename*=UTF-8''x.exe%22%3B%20filename%2A%3DUTF-8%27%27evil.html%3B%20a%3D%22.glb)"},
        {"a\\b\r\nc%20.obj.zip",
         R"(attachment; filename="a_b__c_20.obj.zip"; filename*=UTF-8''a%5Cb%0D%0Ac%2520.obj.zip)"},
        {"caf\xC3\xA9.glb", R"(attachment; filename="caf__.glb"; filename*=UTF-8''caf%C3%A9.glb)"},
        {"\xE9t\xE9.glb", R"(attachment; filename="_t_.glb"; filename*=UTF-8''%E9t%E9.glb)"},  // not UTF-8
    };
    for (const auto& [name, header] : cases) {
        EXPECT_EQ(AttachmentDisposition(name), header) << name;
    }
}

}  // namespace
}  // namespace zenthor
