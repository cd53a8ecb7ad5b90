#include "scenario_lang/ScenarioImage.h"

#include <cstring>

namespace qw::scenario_lang {

Bytes BuildScenarioFile(const ScenarioImage& image) {
    ByteWriter w;
    w.PutBytes(snr::kMagic);
    w.Put<uint32_t>(image.header16);
    w.Put<uint32_t>(static_cast<uint32_t>(image.labels.size()));
    for (const auto& table : image.loadPoints)
        w.Put<uint32_t>(static_cast<uint32_t>(table.size()));
    w.PutBytes(ByteSpan(image.header1048));
    for (uint32_t offset : image.labels)
        w.Put<uint32_t>(offset);
    for (const auto& table : image.loadPoints)
        for (uint32_t offset : table)
            w.Put<uint32_t>(offset);
    w.PutBytes(image.stream);
    return w.Take();
}

bool IsPlainScenarioFile(ByteSpan file) {
    return file.size() >= snr::kMagic.size() &&
           std::memcmp(file.data(), snr::kMagic.data(), snr::kMagic.size()) == 0;
}

std::optional<ScenarioImage> ParseScenarioFile(ByteSpan plain, std::string& error) {
    if (!IsPlainScenarioFile(plain)) {
        error = "not a scenario file";
        return std::nullopt;
    }
    if (plain.size() < snr::kHeaderSize) {
        error = std::to_string(plain.size()) + " bytes, shorter than the " +
                std::to_string(snr::kHeaderSize) + "-byte header";
        return std::nullopt;
    }
    ScenarioImage image;
    image.header16 = *LoadLE<uint32_t>(plain, snr::kReserved1Offset);
    std::memcpy(image.header1048.data(), plain.data() + snr::kReserved2Offset, snr::kReserved2Size);
    const uint32_t labelCount = *LoadLE<uint32_t>(plain, snr::kLabelCountOffset);
    uint64_t at = snr::kHeaderSize;
    auto readTable = [&](uint32_t count, std::vector<uint32_t>& out, const std::string& what) {
        if (!FitsIn(plain.size(), at, 4ull * count)) {
            error = what + " (" + std::to_string(count) + " entries at " + std::to_string(at) +
                    ") runs past the end of the file (" + std::to_string(plain.size()) + " bytes)";
            return false;
        }
        out.resize(count);
        for (uint32_t i = 0; i < count; ++i)
            out[i] = LoadLEUnchecked<uint32_t>(plain.data() + at + 4ull * i);
        at += 4ull * count;
        return true;
    };
    bool ok = readTable(labelCount, image.labels, "the label table");
    for (int k = 0; ok && k < snr::kLoadPointTables; ++k)
        ok = readTable(*LoadLE<uint32_t>(plain, snr::kLoadPointCountsOffset + 4 * k),
                       image.loadPoints[static_cast<size_t>(k)],
                       "load-point table " + std::to_string(k));
    if (!ok) return std::nullopt;
    image.stream.assign(plain.begin() + static_cast<std::ptrdiff_t>(at), plain.end());
    return image;
}

} // namespace qw::scenario_lang
