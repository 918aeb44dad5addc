// How the hbcikrnl.ini merge scales: files of 64 KiB, 1 MiB and 2 MiB whose program-own lines
// (20,000 per MiB: key lines and whole sections of earlier runs) are scattered among other
// programs' sections, against a plain copy of the text and a copy line by line.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "config/HbciMerge.h"

namespace {

constexpr std::size_t kOwnLinesPerMebibyte = 20000;

std::string OldFile(std::size_t size)
{
    std::mt19937 random(42);
    const std::size_t ownLines = kOwnLinesPerMebibyte * size / (1u << 20);
    // Own material is about 27 bytes a line, so this share of the lines keeps the count.
    const std::size_t ownBytes = ownLines * 27;
    std::string text = "[CardReader]\nOther=Active\nThird=Installed\n\n";
    std::size_t own = 0;
    std::size_t section = 0;
    while (text.size() < size) {
        const bool wantOwn = own < ownLines && random() % (size - std::min(size - 1, ownBytes)) < ownBytes;
        if (wantOwn && random() % 8 == 0) {
            text += "\n[VeskKavirex3]\nStandard=CTAPI16\nCompanyName=Vesk\nReaderName=Kavirex3\nPort=1\n"
                    "B1-Reader=0\nCtDllName=C:\\Vesk\\ctvskdrv.dll\nPIN-Entry=1\n\n";
            own += 8;
        } else if (wantOwn) {
            text += "VeskKavirex3=Installed\n";
            own += 1;
        } else if (random() % 40 == 0) {
            text += "\n[OtherProgram" + std::to_string(++section) + "]\n";
        } else {
            text += "Setting" + std::to_string(random() % 100000) + "=a value of another program, Active\n";
        }
    }
    return text;
}

const int kSlots[lesamo::kPortCount] = {lesamo::readerNone, lesamo::readerKavirex3, lesamo::readerKrm,
                                        lesamo::readerNone};

void Merge(benchmark::State& state)
{
    const std::string old = OldFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(lesamo::MergeHbciText(old, kSlots, "C:\\Vesk"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * old.size()));
}

void Copy(benchmark::State& state)
{
    const std::string old = OldFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string copy = old;
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * old.size()));
}

void CopyLineByLine(benchmark::State& state)
{
    const std::string old = OldFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string copy;
        copy.reserve(old.size());
        for (std::size_t start = 0; start < old.size();) {
            const std::size_t lineFeed = old.find('\n', start);
            const std::size_t next = lineFeed == std::string::npos ? old.size() : lineFeed + 1;
            copy.append(old, start, next - start);
            start = next;
        }
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * old.size()));
}

}  // namespace

BENCHMARK(Merge)->Arg(64 << 10)->Arg(1 << 20)->Arg(2 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(Copy)->Arg(64 << 10)->Arg(1 << 20)->Arg(2 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyLineByLine)->Arg(64 << 10)->Arg(1 << 20)->Arg(2 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
