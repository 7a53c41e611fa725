// Fuzz target: the hub's heartbeat reader. Any datagram is read without a crash; what
// it accepts has a usable port (or is a stop heartbeat naming a source), and the
// client table it feeds keeps its limits: never more clients than allowed, never the
// hub's own port, no interval above the cap.
#include "ClientTable.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "heartbeat property broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view datagram(reinterpret_cast<const char*>(data), size);
    const auto beat = xaphub::readHeartbeat(datagram);
    if (!beat)
        return 0;
    require(beat->port != 0 || (beat->stopping && !beat->source.empty()) || beat->fromHub(),
            "a port, a stop heartbeat with a source, or a hub's heartbeat");

    // The datagram read as several heartbeats, one per "xap-hbeat" block, into one table.
    xaphub::ClientTable table(xaphub::TableLimits{4, 3600, {3639}});
    const auto t0 = xaphub::Clock::time_point{} + std::chrono::hours(1);
    std::size_t start = 0;
    int n = 0;
    while (start < datagram.size() && n < 64) {
        const std::size_t next = datagram.find("xap-hbeat", start + 1);
        const auto part = xaphub::readHeartbeat(datagram.substr(start, next == std::string_view::npos ? next : next - start));
        if (part) {
            std::vector<xaphub::Client> removed;
            if (part->stopping)
                table.forget(*part, static_cast<std::uint16_t>(40000 + n % 4));
            else if (part->fromHub())
                table.reserve(part->port, removed);
            else if (part->port != 0)
                table.heard(*part, t0 + std::chrono::seconds(n));
            for (const xaphub::Client& c : removed)
                require(table.isReserved(c.port), "a removed hub port stays reserved");
        }
        start = next == std::string_view::npos ? datagram.size() : next;
        ++n;
    }
    require(table.clients().size() <= 4, "at most the allowed number of clients");
    for (const xaphub::Client& c : table.clients()) {
        require(c.port != 3639, "never the hub's own port");
        require(c.port >= xaphub::kFirstClientPort, "never a system port");
        require(!table.isReserved(c.port), "never a reserved port");
        require(c.intervalSeconds >= 1 && c.intervalSeconds <= 3600, "interval within the cap");
    }
    require(table.expire(t0 + std::chrono::hours(3)).size() <= 4, "every client expires within twice the cap");
    require(table.clients().empty(), "nobody stays past twice the cap");
    return 0;
}
