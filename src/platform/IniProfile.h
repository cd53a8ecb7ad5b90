#pragma once
// Ini files with the private-profile semantics games and players expect: sections and keys
// match without regard to case, missing keys give the caller's default, values are trimmed (and
// unquoted when wrapped in matching quotes), and writing a key keeps every other line of the
// file as it was, creating the file or section when needed. Text is kept as bytes (the game's
// code page). Each call reads the file afresh, so edits by hand between calls are seen.

#include <string>
#include <string_view>
#include <vector>

namespace qw::platform {

std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, const std::string& path);

// The leading decimal integer of the value (optional sign), 0 when the value holds none, or the
// default when the key is missing.
int GetProfileInt(std::string_view section, std::string_view key, int defaultValue,
                  const std::string& path);

// Sets the key's value (creating file, section and key as needed); written to a temporary file
// and renamed into place. False when the file cannot be written.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path);

// The same rules on a file read once, for callers that read or write many keys at a time.
class IniDocument {
public:
    explicit IniDocument(std::string path);
    // A document over `text`, not tied to a readable file (Save writes to `path`).
    static IniDocument FromText(std::string_view text, std::string path = {});
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    void SetString(std::string_view section, std::string_view key, std::string_view value);
    // Writes the file (temporary file and rename). False when it cannot be written.
    bool Save() const;

private:
    IniDocument() = default;
    std::string path_;
    std::vector<std::string> lines_;
};

} // namespace qw::platform
