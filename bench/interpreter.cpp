// Scenario commands per second: a tight MOV / IF / JP loop run by the scenario screen, one tick
// per iteration on the real clock, so each tick stops at the 29 ms budget (the longest tick seen
// is reported). Peer: a bare decoder of the same compiled file, with no bounds checks, faults,
// trace or dispatch table — what the interpreter's safety and structure cost.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/CInput.h"
#include "app/CMainWindow.h"
#include "common/Bytes.h"
#include "files/MemberSource.h"
#include "platform/Clock.h"
#include "save/CSaveData.h"
#include "scenario/CDIBSnrScreen.h"
#include "scenario/CSnrBuffer.h"
#include "scenario/SnrFormat.h"
#include "scenario_lang/Assembler.h"
#include "support/FakeWindow.h"

namespace {

// Three commands per turn; the condition never holds, so IF goes on to JP.
constexpr const char* kLoop = R"(@loop
MOV 1, (v1 + 1)
IF v1, ">", 2000000000, @done
JP @loop
@done
END
)";

qw::Bytes LoopFile() {
    auto r = qw::scenario_lang::Assemble(kLoop, "LOOP.qws");
    return r.file;
}

class OneFile : public qw::IMemberSource {
public:
    std::optional<qw::Bytes> ReadMember(std::string_view) override { return file; }
    qw::Bytes file;
};

// A window that is not headless, so the time budget (not the headless command cap) ends ticks.
class BenchWindow : public qw::test::FakeWindow {
public:
    bool IsHeadless() const override { return false; }
};

void BM_InterpreterLoop(benchmark::State& state) {
    // The main window writes its position into the game's ini file when it goes: a scratch
    // directory takes it.
    std::string dir =
        (std::filesystem::temp_directory_path() / "qw_bench_interpreterXXXXXX").string();
    if (!::mkdtemp(dir.data())) {
        state.SkipWithError("no scratch directory");
        return;
    }
    qw::SetInstallDir(dir);
    OneFile source;
    source.file = LoopFile();
    qw::CSnrBuffer::SetDefaultSource(&source);
    auto window = std::make_unique<BenchWindow>();
    auto* windowPtr = window.get();
    auto main = std::make_unique<qw::CMainWindow>(std::move(window));
    qw::SetMainWindow(main.get());
    main->AttachSaveData(std::make_unique<qw::CSaveData>(""));
    auto input = std::make_unique<qw::CInput>();
    input->Initialize(windowPtr, nullptr);
    main->AttachInput(std::move(input));

    qw::CDIBSnrScreen screen;
    if (!screen.Initialize(qw::SnrStartRecord::ForFile("LOOP"))) {
        state.SkipWithError("the scenario screen did not start");
        return;
    }
    const auto& vars = main->GetSaveData()->localVars;
    double longestMs = 0;
    int64_t turns = 0;
    for (auto _ : state) {
        int32_t before = vars[1];
        auto start = std::chrono::steady_clock::now();
        screen.Move();
        auto end = std::chrono::steady_clock::now();
        longestMs =
            std::max(longestMs, std::chrono::duration<double, std::milli>(end - start).count());
        turns += vars[1] - before;
    }
    state.SetItemsProcessed(turns * 3);
    state.counters["commands_per_tick"] = benchmark::Counter(
        static_cast<double>(turns * 3) / static_cast<double>(state.iterations()));
    state.counters["longest_tick_ms"] = longestMs;

    main->AttachSaveData(nullptr);
    main.reset();
    qw::SetMainWindow(nullptr);
    qw::CSnrBuffer::SetDefaultSource(nullptr);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_InterpreterLoop)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The peer: the same file decoded by a loop that trusts it completely.
class BareInterpreter {
public:
    explicit BareInterpreter(const qw::Bytes& file) : file_(file) {
        const uint8_t* p = file_.data();
        uint32_t labels;
        std::memcpy(&labels, p + qw::snr::kLabelCountOffset, 4);
        labelTable_ = p + qw::snr::kHeaderSize;
        size_t stream = qw::snr::kHeaderSize + labels * 4;
        for (int t = 0; t < qw::snr::kLoadPointTables; ++t) {
            uint32_t count;
            std::memcpy(&count, p + qw::snr::kLoadPointCountsOffset + t * 4, 4);
            stream += count * 4;
        }
        stream_ = p + stream;
        pos_ = stream_;
    }

    // Runs `count` commands.
    void Run(int64_t count) {
        for (int64_t n = 0; n < count; ++n) {
            uint16_t id, size;
            std::memcpy(&id, pos_, 2);
            std::memcpy(&size, pos_ + 2, 2);
            const uint8_t* param = pos_ + 4;
            const uint8_t* next = param + size;
            switch (id) {
            case 5: { // MOV
                int32_t index = Value(param);
                vars_[index] = Value(param);
                pos_ = next;
                break;
            }
            case 6: { // IF, one condition
                int32_t left = Value(param);
                const char* op = reinterpret_cast<const char*>(param + 1);
                param += 2 + std::strlen(op);
                int32_t right = Value(param);
                int32_t label = Value(param);
                bool holds = std::strcmp(op, ">") == 0 ? left > right : left == right;
                pos_ = holds ? Label(label) : next;
                break;
            }
            case 3: // JP
                pos_ = Label(Value(param));
                break;
            default:
                pos_ = next;
            }
        }
    }
    int32_t Var(int i) const { return vars_[i]; }

private:
    int32_t Value(const uint8_t*& p) {
        uint8_t type = *p++;
        int32_t v;
        if (type != qw::snr::kParamExpression) {
            std::memcpy(&v, p, 4);
            p += 4;
            return type == qw::snr::kParamVariable ? vars_[v] : v;
        }
        int32_t stack[qw::snr::kExprStackDepth];
        int depth = 0;
        for (;;) {
            int32_t kind, operand;
            std::memcpy(&kind, p, 4);
            std::memcpy(&operand, p + 4, 4);
            p += 8;
            if (kind == qw::snr::kExprEnd) return stack[depth - 1];
            if (kind == qw::snr::kExprPush)
                stack[depth++] = operand;
            else if (kind == qw::snr::kExprVariable)
                stack[depth++] = vars_[operand];
            else {
                int32_t r = stack[--depth], l = stack[--depth];
                stack[depth++] = kind == qw::snr::kExprAdd   ? l + r
                                 : kind == qw::snr::kExprSub ? l - r
                                                             : l * r;
            }
        }
    }
    const uint8_t* Label(int32_t label) {
        uint32_t offset;
        std::memcpy(&offset, labelTable_ + label * 4, 4);
        return stream_ + offset;
    }

    const qw::Bytes& file_;
    const uint8_t* labelTable_;
    const uint8_t* stream_;
    const uint8_t* pos_;
    int32_t vars_[1000] = {};
};

void BM_BareDecoderPeer(benchmark::State& state) {
    qw::Bytes file = LoopFile();
    BareInterpreter bare(file);
    constexpr int64_t kBatch = 300000;
    for (auto _ : state) {
        bare.Run(kBatch);
        benchmark::DoNotOptimize(bare.Var(1));
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_BareDecoderPeer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
