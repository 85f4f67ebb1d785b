// Pellora.exe's icon as the build makes it: split into RT_ICON images and a
// group. (The embedded card pictures are checked in the built exe, under Wine.)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kAssets = PELLORA_ASSETS_DIR;
const std::string kWork = PELLORA_WORK_DIR;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

unsigned le16(const Bytes& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
unsigned le32(const Bytes& b, std::size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }

// Runs cmake/split-icon.cmake on `ico`; true when it succeeded.
bool splitIcon(const std::string& ico, const std::string& out) {
    std::remove(out.c_str());
    const std::string command = "\"" PELLORA_CMAKE "\" \"-DICO=" + ico + "\" \"-DOUT=" + out + "\" -P \"" +
                                PELLORA_SOURCE_DIR "/cmake/split-icon.cmake\" > \"" + out + ".log\" 2>&1";
    return std::system(command.c_str()) == 0;
}

// The resources in a generated script, as the resource compiler will store
// them: "id type", BEGIN, numbers that are 16-bit little-endian words, END.
std::map<std::pair<unsigned, unsigned>, Bytes> parseResources(const std::string& script) {
    std::map<std::pair<unsigned, unsigned>, Bytes> resources;
    std::istringstream in(script);
    std::string line;
    Bytes* current = nullptr;
    while (std::getline(in, line)) {
        if (line.rfind("//", 0) == 0 || line.empty()) continue;
        if (line == "BEGIN") continue;
        if (line == "END") {
            current = nullptr;
            continue;
        }
        std::istringstream words(line);
        if (!current) {
            unsigned id = 0, type = 0;
            words >> id >> type;
            EXPECT_TRUE(words && words.eof()) << "not a resource header: " << line;
            current = &resources[{type, id}];
            continue;
        }
        std::string word;
        while (std::getline(words, word, ',')) {
            const unsigned long value = std::stoul(word, nullptr, 0);
            EXPECT_LE(value, 0xFFFFu) << word;
            current->push_back(static_cast<std::uint8_t>(value & 0xFF));
            current->push_back(static_cast<std::uint8_t>(value >> 8));
        }
    }
    return resources;
}

}  // namespace

TEST(IconResources, EveryImageOfTheIconBecomesAnIconResourceInFileOrder) {
    const std::string ico = kAssets + "/pellora.ico";
    const std::string out = kWork + "/pellora_icons.rc";
    ASSERT_TRUE(splitIcon(ico, out)) << readText(out + ".log");
    const Bytes file = readFile(ico);
    ASSERT_GE(file.size(), 6u);
    const unsigned count = le16(file, 4);
    ASSERT_EQ(count, 8u);

    const auto resources = parseResources(readText(out));
    ASSERT_EQ(resources.size(), count + 1);
    const auto group = resources.find({14u, 1u});  // RT_GROUP_ICON 1
    ASSERT_NE(group, resources.end());
    const Bytes& dir = group->second;
    ASSERT_EQ(dir.size(), 6u + 14u * count);
    EXPECT_EQ(le16(dir, 0), 0u);
    EXPECT_EQ(le16(dir, 2), 1u);
    EXPECT_EQ(le16(dir, 4), count);

    for (unsigned i = 0; i < count; ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        const std::size_t entry = 6 + 16 * i;
        const std::size_t grouped = 6 + 14 * i;
        // Width, height, colours, reserved, planes, bit count, size: as in the file.
        for (std::size_t k = 0; k < 12; ++k) EXPECT_EQ(dir[grouped + k], file[entry + k]) << "byte " << k;
        const unsigned id = le16(dir, grouped + 12);
        EXPECT_EQ(id, 30001 + i);

        const auto image = resources.find({3u, id});  // RT_ICON
        ASSERT_NE(image, resources.end());
        const unsigned offset = le32(file, entry + 12);
        const unsigned size = le32(file, entry + 8);
        ASSERT_LE(offset + size, file.size());
        EXPECT_EQ(image->second, Bytes(file.begin() + offset, file.begin() + offset + size));
    }
    // The colour depths in the order the window and the shell look for them.
    const unsigned bits[8] = {8, 8, 8, 8, 32, 32, 32, 32};
    const unsigned sizes[8] = {48, 32, 24, 16, 48, 32, 24, 16};
    for (unsigned i = 0; i < count; ++i) {
        EXPECT_EQ(le16(dir, 6 + 14 * i + 6), bits[i]);
        EXPECT_EQ(dir[6 + 14 * i], sizes[i]);
    }
}

TEST(IconResources, FilesThatCannotBeEmbeddedExactlyAreRefused) {
    // One 1 x 1 image of 41 bytes: an odd size cannot be written as words.
    Bytes odd = {0, 0, 1, 0, 1, 0, 1, 1, 0, 0, 1, 0, 32, 0, 41, 0, 0, 0, 22, 0, 0, 0};
    odd.resize(22 + 41, 0);
    writeFile(kWork + "/odd.ico", odd);
    EXPECT_FALSE(splitIcon(kWork + "/odd.ico", kWork + "/odd.rc"));
    EXPECT_NE(readText(kWork + "/odd.rc.log").find("odd"), std::string::npos);

    // An image that runs past the end of the file.
    Bytes cut = odd;
    cut[14] = 40;
    cut.resize(40);
    writeFile(kWork + "/cut.ico", cut);
    EXPECT_FALSE(splitIcon(kWork + "/cut.ico", kWork + "/cut.rc"));

    // Not an icon at all (a cursor file has type 2).
    Bytes cursor = odd;
    cursor[2] = 2;
    cursor[14] = 40;
    cursor.resize(22 + 40);
    writeFile(kWork + "/cursor.cur", cursor);
    EXPECT_FALSE(splitIcon(kWork + "/cursor.cur", kWork + "/cursor.rc"));
    EXPECT_FALSE(splitIcon(kWork + "/missing.ico", kWork + "/missing.rc"));

    // The same file with an even image is fine.
    Bytes even = cursor;
    even[2] = 1;
    writeFile(kWork + "/even.ico", even);
    EXPECT_TRUE(splitIcon(kWork + "/even.ico", kWork + "/even.rc")) << readText(kWork + "/even.rc.log");
}
