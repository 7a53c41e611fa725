// Parse cost of a 60 KB message of 10,000 body sections against a message of one
// section with the same number of bytes: the parse is linear in the size of the
// text, so the ratio stays small (target: at most 3).
//
//   bench_section_parse [rounds, default 200]
#include "xap/ProgramState.h"
#include "xap/XapMessage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789!#$%&()*+,-./:;<>?@[]^_|~";

// The n-th short distinct lowercase name: one, two, then three characters.
std::string shortName(int n)
{
    const int k = static_cast<int>(sizeof kAlphabet - 1);
    if (n < k)
        return std::string(1, kAlphabet[n]);
    n -= k;
    if (n < k * k)
        return std::string{kAlphabet[n / k], kAlphabet[n % k]};
    n -= k * k;
    return std::string{kAlphabet[n / (k * k)], kAlphabet[(n / k) % k], kAlphabet[n % k]};
}

const std::string kHeader = "xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=bench.sections\nsource=acme.bench.pc\n}\n";

std::string manySections(int sections)
{
    std::string text = kHeader;
    for (int i = 0; i < sections; ++i)
        text += shortName(i) + "\n}\n";
    return text;
}

// One section whose items fill the same number of bytes.
std::string oneSection(std::size_t bytes)
{
    std::string text = kHeader + "bulk\n{\n";
    for (int i = 0; text.size() + 16 < bytes; ++i)
        text += "k" + std::to_string(i) + "=v\n";
    text += std::string(bytes - text.size() - 2, 'v');
    text += "\n}\n";
    return text;
}

double bestMicroseconds(const std::string& text, int rounds)
{
    xap::ProgramState program;
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        xap::XapMessage m(program);
        m.fromXap(text);
        const auto end = std::chrono::steady_clock::now();
        if (m.sectionCount() == 0)
            std::abort();
        best = std::min(best, std::chrono::duration<double, std::micro>(end - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::string many = manySections(10000);
    const std::string one = oneSection(many.size());
    const double manyUs = bestMicroseconds(many, rounds);
    const double oneUs = bestMicroseconds(one, rounds);
    std::printf("10,000 sections, %zu bytes: %.1f us per parse (best of %d)\n", many.size(), manyUs, rounds);
    std::printf("one section,     %zu bytes: %.1f us per parse (best of %d)\n", one.size(), oneUs, rounds);
    std::printf("ratio: %.2f (target: at most 3)\n", manyUs / oneUs);
    return 0;
}
