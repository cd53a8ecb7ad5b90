#include "scenario/ScenarioCommands.h"

#include "common/Text.h"

namespace qw {

namespace {

constexpr ScenarioCommand kDispatch[] = {
    {1, "LPT"},
    {2, "LS"},
    {3, "JP"},
    {4, "ONJP"},
    {5, "MOV"},
    {6, "IF"},
    {7, "ATIMES"},
    {8, "AWAIT"},
    {9, "RANDOM"},
    {10, "CMPSTR"},
    {100, "IMREAD"},
    {101, "IMFREE"},
    {102, "LYIMAGE"},
    {103, "LYPOS"},
    {104, "LYSIZE"},
    {105, "LYCOLOR"},
    {106, "LYBLEND"},
    {107, "LYANTI"},
    {108, "LYACTION"},
    {109, "LYCAMSTATE"},
    {110, "OVERLAP"},
    {111, "CAMMOVE"},
    {112, "CURSOR"},
    {113, "MOVIE"},
    {200, "BGMLIST"},
    {201, "BGMPLAY"},
    {202, "BGMSTOP"},
    {203, "BGMWAIT"},
    {204, "VOICELIST"},
    {205, "VOICEPLAY"},
    {206, "VOICESTOP"},
    {207, "VOICEWAIT"},
    {208, "SEPLAY"},
    {209, "SESTOP"},
    {210, "SEWAIT"},
    {211, "SEREAD"},
    {212, "SEFREE"},
    {1000, "MSG"},
    {1001, "MWO"},
    {1002, "MWC"},
    {1003, "SELECT"},
    {1004, "CHKSCEXEC"},
    {1005, "SUBTITLE"},
    {1006, "SETCGFLAG"},
    {1007, "SETSCENEFLAG"},
    {1008, "SETMESSKIP"},
    {1009, "SELITEM"},
    {2000, "MESFTSIZE"},
    {2001, "MESFTCOLOR"},
    {2002, "MESFTBLOD"},
    {2003, "MESFTSHADOW"},
    {2004, "MESTXAREA"},
    {2005, "MESTXKINSOKU"},
    {2006, "MESTXDOWN"},
    {2007, "MESNAME"},
    {2008, "MESVPLAY"},
    {2009, "MESVSTOP"},
    {2010, "MESRUN"},
    {2011, "BLOGSAVEBEGIN"},
    {2012, "BLOGSAVEEND"},
    {2013, "SELMAKE"},
    {2014, "SELRUN"},
    {2015, "ACTMAKE"},
    {2016, "ACTFREE"},
    {2017, "ACTPLAY"},
    {2018, "ACTSTOP"},
    {2019, "SCREENACT"},
    {2020, "SAVESAM"},
    {2021, "FACE"},
    {2040, "MOVIEPAUSE"},
    {2041, "MOVIERATE"},
    {2042, "MOVIELOOP"},
    {kCmdEND, "END"},
};

constexpr ScenarioCommand kScreenOnly[] = {
    {kCmdSETCHARID, "SETCHARID"},
};

template <typename Match>
const ScenarioCommand* Find(Match match) {
    for (const auto& c : kDispatch)
        if (match(c)) return &c;
    for (const auto& c : kScreenOnly)
        if (match(c)) return &c;
    return nullptr;
}

} // namespace

std::span<const ScenarioCommand> ScenarioCommands() {
    return kDispatch;
}
std::span<const ScenarioCommand> ScenarioScreenCommands() {
    return kScreenOnly;
}

const ScenarioCommand* FindScenarioCommand(uint16_t id) {
    return Find([id](const ScenarioCommand& c) { return c.id == id; });
}

const ScenarioCommand* FindScenarioCommand(std::string_view name) {
    return Find([name](const ScenarioCommand& c) { return EqualsNoCase(c.name, name); });
}

} // namespace qw
