// The scenario reader: walking commands with all their parameters (what the interpreter does
// within its per-tick budget), definition lookups (what the screens do at start-up), and the
// assembler and disassembler on the same file. There is no other implementation of the format to
// measure beside it.

#include <benchmark/benchmark.h>

#include <string>

#include "scenario/CSnrBuffer.h"
#include "scenario_lang/Assembler.h"
#include "scenario_lang/Disassembler.h"

namespace {

// 10,000 commands: messages with a string-variable reference, arithmetic, conditions, layers.
const std::string& ScenarioSource() {
    static const std::string source = [] {
        std::string s = "@top\n";
        for (int i = 0; i < 2500; ++i) {
            const std::string n = std::to_string(i);
            s += std::string("MSG ") + n + ", 0, \"VO_" + n + "\", \"Line " + n +
                 " for &[0], said twice && more.\"\n";
            s += std::string("MOV 10, ((v10 + ") + n + ") * 3 / (v11 + 1) % 1000)\n";
            s += "IF v10, \">=\", 500, v11, \"<>\", 3, @top\n";
            s += "LYPOS 1, 100, (200 + v10 / 4), 0\n";
        }
        return s;
    }();
    return source;
}

qw::Bytes Assembled(const std::string& source) {
    return qw::scenario_lang::Assemble(source, "bench.qws").file;
}

void BM_WalkCommands(benchmark::State& state) {
    const qw::Bytes file = Assembled(ScenarioSource());
    qw::CSnrBuffer reader;
    reader.ReadFromMemory("BENCH", file);
    static int32_t values[1000] = {};
    values[11] = 2;
    static char name[64] = "Ann";
    reader.SetValList(values);
    reader.SetStrList(0, name);
    int64_t commands = 0;
    for (auto _ : state) {
        reader.SeekBegin(0);
        for (; !reader.IsFinish(); reader.NextCommand(), ++commands) {
            reader.ClearFault();
            benchmark::DoNotOptimize(reader.GetCmdID());
            benchmark::DoNotOptimize(reader.GetNumParam());
            for (qw::SnrParam p = reader.GetParam(); p.IsValid(); p = reader.NextParam(p)) {
                if (reader.IsStringParam(p))
                    benchmark::DoNotOptimize(reader.GetStringParam(p).size());
                else
                    benchmark::DoNotOptimize(reader.GetValueParam(p));
            }
        }
    }
    state.SetItemsProcessed(commands);
}
BENCHMARK(BM_WalkCommands);

// 300 records, each looked up from the start as the screens do.
void BM_DefinitionLookups(benchmark::State& state) {
    std::string source;
    for (int i = 0; i < 300; ++i)
        source += std::string("record 2, ") + std::to_string(i) + ", 10, 20, \"PART_" +
                  std::to_string(i) + ".MGD\", 1\n";
    const qw::Bytes file = Assembled(source);
    qw::CSnrBuffer reader;
    reader.ReadFromMemory("OPTION", file);
    int64_t lookups = 0;
    for (auto _ : state) {
        for (int i = 0; i < 300; ++i, ++lookups) {
            int32_t a = 0, b = 0;
            std::string s;
            bool flag = false;
            reader.SeekBegin(0);
            benchmark::DoNotOptimize(reader.GetSetupParam(2, i, "NNSB", &a, &b, &s, &flag));
        }
    }
    state.SetItemsProcessed(lookups);
}
BENCHMARK(BM_DefinitionLookups);

void BM_Assemble(benchmark::State& state) {
    const std::string& source = ScenarioSource();
    for (auto _ : state)
        benchmark::DoNotOptimize(Assembled(source).size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_Assemble)->Unit(benchmark::kMillisecond);

void BM_Disassemble(benchmark::State& state) {
    const qw::Bytes file = Assembled(ScenarioSource());
    for (auto _ : state)
        benchmark::DoNotOptimize(qw::scenario_lang::Disassemble(file).text.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_Disassemble)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
