#include "scenario_lang/LanguageHelp.h"

namespace qw::scenario_lang {

// ASCII only: the tools are compiled with the game's code page as execution character set.
const char* LanguageSummary() {
    return R"(The scenario language (UTF-8, one statement per line, ";" starts a comment):

  MSG 12, -1, "voice01", "Hello, &[0]!"   a command by name (see the command table)
  #7000 3                                 a command by number
  record 2, 12, "OPTION_BG.MGD", 0, 0     a definition record (command 0, ids 2 and 12)
  @start                                  label "start" at the next command
  JP @start                               a label used as a number (its number)
  .loadpoint 0                            next command's offset into load-point table 0

Parameters, separated by commas (a line ending with a comma goes on on the next):
  123  -5  0xFF         number                    (type 1)
  v12                   integer variable 12       (type 2)
  "text"                text                      (type 3)
  (v1 * 2 + 3)          arithmetic: + - * / %, parentheses, numbers, vN, @labels (type 4)
  s3                    string variable 3         (type 5)
  <01 02 03>            raw parameter bytes (written as they are)
In texts: \" \\ \n \r \t, \xHH (raw byte), && (an ampersand), &[N] (string variable N).

Directives:
  .scramble "TITLE"     scramble the file with the product title TITLE
  .labels @a, @b, ...   number the labels in this order (default: order of definition)
  @name = OFFSET        a label at a raw offset of the command stream
  .loadpoint T = OFFSET a load point at a raw offset
  .raw <..>             raw bytes in the command stream
  .header16 N           the unused header word at offset 16
  .header1048 <..>      the unused 64 header bytes at offset 1048
)";
}

} // namespace qw::scenario_lang
