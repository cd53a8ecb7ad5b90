#pragma once
// The short reference of the scenario language printed by `qwasm --help` (the full one is
// docs/scenario-language.md).

namespace qw::scenario_lang {

const char* LanguageSummary();

} // namespace qw::scenario_lang
