#pragma once
// The scenario command set, written once. Everything else is generated from this list: the
// shared table of ids, names and parameters that the assembler and the disassembler use
// (ScenarioCommands.h), the handler declarations of CDIBSnrBaseScreen, its dispatch table, and
// the bodies of the handlers that are not written yet.
//
// A row is X(NAME, ID, PARAMS, BODY):
//   NAME    the command's name; its handler is CDIBSnrBaseScreen::MoveCmd<NAME>
//   ID      its id in compiled scenarios
//   PARAMS  what it takes (ScenarioParams.h). The interpreter checks it before the handler runs
//           and reports a wrong count or class with the command's name; the handler then finds
//           its parameters read (Value(i), Text(i)) and keeps only its own logic.
//   BODY    Handler        MoveCmd<NAME> is written by hand, in the file of its family
//           StepOver       a generated body steps over the command; the next one runs
//           StepOverYield  a generated body steps over the command and ends the tick
//
// Adding a command: add its row here, in handler-slot order (END stays last), and write
// `void CDIBSnrBaseScreen::MoveCmd<NAME>()` in its family's file. The handler starts with its
// trace entry, reads its parameters, does its work and finishes with Advance() (the next command
// runs in this tick), AdvanceAndYield() (the tick ends), or returns without either to wait and
// be called again on the next tick. Errors it finds itself go through CountError, TypeError,
// ParamError and ReadError, which name the command.
//
// Building a command that is a stand-in today: its row becomes Params(…) and Handler, and its
// handler is written. A command the scenario screen carries out (the message commands) keeps
// its StepOver body here for screens without a message window, and CDIBSnrScreen overrides it.
//
// A row with a name or a handler missing on either side does not build: each handler is
// declared from here and each Handler row needs its definition.

#include "scenario/ScenarioParams.h"

// clang-format off
#define QW_SCENARIO_COMMANDS(X)                                                                    \
    /* Control flow and variables */                                                               \
    X(LPT,           1,     AnyParams(),                           Handler)                        \
    X(LS,            2,     Params("S"),                           Handler)                        \
    X(JP,            3,     Params("L"),                           Handler)                        \
    X(ONJP,          4,     Params("V(l)+"),                       Handler)                        \
    X(MOV,           5,     Params("VV").ReportsAs("MOVE"),        Handler)                        \
    X(IF,            6,     Params("(vev)+l"),                     Handler)                        \
    X(ATIMES,        7,     Params("V"),                           Handler)                        \
    X(AWAIT,         8,     Params("VVVVVV"),                      Handler)                        \
    X(RANDOM,        9,     Params("VVV"),                         Handler)                        \
    X(CMPSTR,        10,    Params("SSL"),                         Handler)                        \
    /* Pictures, layers, transitions and the camera */                                             \
    X(IMREAD,        100,   Params("VS"),                          Handler)                        \
    X(IMFREE,        101,   Params("V"),                           Handler)                        \
    X(LYIMAGE,       102,   Params("VE"),                          Handler)                        \
    X(LYPOS,         103,   Params("VVVV"),                        Handler)                        \
    X(LYSIZE,        104,   Params("VVV"),                         Handler)                        \
    X(LYCOLOR,       105,   Params("VVVVV"),                       Handler)                        \
    X(LYBLEND,       106,   Params("VV"),                          Handler)                        \
    X(LYANTI,        107,   Params("VV"),                          Handler)                        \
    X(LYACTION,      108,   Params("VV"),                          Handler)                        \
    X(LYCAMSTATE,    109,   Params("VVVVV"),                       Handler)                        \
    X(OVERLAP,       110,   Params("v(e)*"),                       Handler)                        \
    X(CAMMOVE,       111,   Params("VV(VVVV)*").AtLeast(6),        Handler)                        \
    X(CURSOR,        112,   Params("VE"),                          Handler)                        \
    X(MOVIE,         113,   Pending("SSV"),                        StepOver)                       \
    /* Music, voices and sound effects */                                                          \
    X(BGMLIST,       200,   Params("VS"),                          Handler)                        \
    X(BGMPLAY,       201,   Params("EVVV"),                        Handler)                        \
    X(BGMSTOP,       202,   Params("VV"),                          Handler)                        \
    X(BGMWAIT,       203,   Params("V"),                           Handler)                        \
    X(VOICELIST,     204,   Params("VS"),                          Handler)                        \
    X(VOICEPLAY,     205,   Params("Evv").Between(2, 3),           Handler)                        \
    X(VOICESTOP,     206,   Params(""),                            Handler)                        \
    X(VOICEWAIT,     207,   Params(""),                            Handler)                        \
    X(SEPLAY,        208,   Params("Evvv").Between(3, 4),          Handler)                        \
    X(SESTOP,        209,   Params("VVV"),                         Handler)                        \
    X(SEWAIT,        210,   Params("VV"),                          Handler)                        \
    X(SEREAD,        211,   Params("VS"),                          Handler)                        \
    X(SEFREE,        212,   Params("V"),                           Handler)                        \
    /* Messages, selections and the player's records */                                            \
    X(MSG,           1000,  Pending("VVSS"),                       StepOverYield)                  \
    X(MWO,           1001,  Pending(""),                           StepOverYield)                  \
    X(MWC,           1002,  Pending(""),                           StepOverYield)                  \
    X(SELECT,        1003,  Pending("VSV(V)+").Between(4, 19),     StepOverYield)                  \
    X(CHKSCEXEC,     1004,  Params("V"),                           Handler)                        \
    X(SUBTITLE,      1005,  Params("S"),                           Handler)                        \
    X(SETCGFLAG,     1006,  Params("S"),                           Handler)                        \
    X(SETSCENEFLAG,  1007,  Params("S"),                           Handler)                        \
    X(SETMESSKIP,    1008,  Pending("V"),                          StepOverYield)                  \
    X(SELITEM,       1009,  Pending("VSVVVVVSVVVVVVVVV"),          StepOver)                       \
    X(MESFTSIZE,     2000,  Params("V"),                           StepOverYield)                  \
    X(MESFTCOLOR,    2001,  Params("VVVV"),                        StepOverYield)                  \
    X(MESFTBLOD,     2002,  Params("V"),                           StepOverYield)                  \
    X(MESFTSHADOW,   2003,  Params("V"),                           StepOverYield)                  \
    X(MESTXAREA,     2004,  Pending(AnyParams()),                  StepOverYield)                  \
    X(MESTXKINSOKU,  2005,  Params("V"),                           StepOverYield)                  \
    X(MESTXDOWN,     2006,  Params("V"),                           StepOverYield)                  \
    X(MESNAME,       2007,  Pending("V"),                          StepOverYield)                  \
    X(MESVPLAY,      2008,  Pending("VS"),                         StepOverYield)                  \
    X(MESVSTOP,      2009,  Pending(""),                           StepOverYield)                  \
    X(MESRUN,        2010,  Pending("V(E)*").Between(1, 25),       StepOverYield)                  \
    X(BLOGSAVEBEGIN, 2011,  Pending(AnyParams()),                  StepOverYield)                  \
    X(BLOGSAVEEND,   2012,  Pending(AnyParams()),                  StepOverYield)                  \
    X(SELMAKE,       2013,  Pending("VVVVVVVVV"),                  StepOverYield)                  \
    X(SELRUN,        2014,  Pending("VVSS"),                       StepOverYield)                  \
    /* Layer actions */                                                                            \
    X(ACTMAKE,       2015,  Params("VV(e)*"),                      Handler)                        \
    X(ACTFREE,       2016,  Params("V"),                           Handler)                        \
    X(ACTPLAY,       2017,  Params("(V)+").Between(1, 10),         Handler)                        \
    X(ACTSTOP,       2018,  Params("(V)+").Between(1, 10),         Handler)                        \
    X(SCREENACT,     2019,  Params("V"),                           Handler)                        \
    X(SAVESAM,       2020,  Params("V(e)*"),                       Handler)                        \
    X(FACE,          2021,  Params(""),                            Handler)                        \
    /* Movie controls */                                                                           \
    X(MOVIEPAUSE,    2040,  Pending("SV"),                         StepOver)                       \
    X(MOVIERATE,     2041,  Pending("SV"),                         StepOver)                       \
    X(MOVIELOOP,     2042,  Pending("SV"),                         StepOver)                       \
    /* The end of the scenario (the scenario screen replaces it) */                                \
    X(END,           10000, AnyParams(),                           Handler)

// Commands outside the dispatch table: the scenario screen catches them through its
// unknown-command handler. The assembler and the disassembler know them by name.
#define QW_SCENARIO_SCREEN_COMMANDS(X)                                                             \
    X(SETCHARID,     7000,  Pending("V"),                          Screen)
// clang-format on
