#include "tools/velkan-localnet/sharegenerator.h"

#include "channel/cp949convert.h"
#include "tools/velkan-localnet/random.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace velkan::localnet {

namespace {

// The word lists are written in UTF-8 and converted to CP949 once.
std::vector<std::string> ToCp949(std::initializer_list<const char*> words)
{
    std::vector<std::string> converted;
    for (const char* word : words) {
        std::optional<std::string> text = cp949::FromUtf8Strict(word);
        if (!text) {
            throw std::logic_error("word list entry CP949 cannot hold");
        }
        converted.push_back(std::move(*text));
    }
    return converted;
}

struct Words {
    std::vector<std::string> folders;
    std::vector<std::string> stems;
    std::vector<std::string> nickParts;
};

const Words& GetWords()
{
    static const Words words{
        ToCp949({"음악", "영화", "사진", "문서", "다운로드", "드라마", "애니", "게임", "자료실",
                 "공부", "Music", "Movies", "Photos", "Documents", "Downloads", "Games", "Backup",
                 "My Share", "Live & Studio", "2004", "New Folder", "MP3"}),
        // "갵" ends in the byte of "a" and "걅" in that of "m": searches must not see them.
        ToCp949({"사랑", "하늘", "바다", "봄날", "추억", "친구", "별빛", "노래", "여행",
                 "가을 편지", "갵 모음", "걅 노래", "Yesterday", "Hotel California", "holiday",
                 "README", "setup", "report", "lecture", "trailer", "wallpaper", "concert",
                 "Tom & Jerry", "best <live>", "a|b mix", "rock >> pop", "Track", "Love Song"}),
        ToCp949({"하늘", "바다", "별", "달빛", "나무", "구름", "sky", "neo", "jazz", "moon"}),
    };
    return words;
}

constexpr const char* kExtensions[] = {"mp3", "MP3", "avi", "AVI", "jpg", "JPG", "txt",
                                       "zip", "hwp", "HWP", "mpg", "wmv", "doc", "gif",
                                       "rar", "exe", "ogg", "smi"};

std::string Date(Random& random)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d",
                  static_cast<int>(1999 + random.Below(10)), static_cast<int>(1 + random.Below(12)),
                  static_cast<int>(1 + random.Below(28)), static_cast<int>(random.Below(24)),
                  static_cast<int>(random.Below(60)));
    return text;
}

// From a few bytes to several GB, spread over the orders of magnitude.
std::int64_t Size(Random& random)
{
    const unsigned bits = static_cast<unsigned>(random.Below(34)); // up to 8 GB
    return static_cast<std::int64_t>(1 + random.Below(std::uint64_t{1} << bits));
}

std::int32_t Extra(Random& random)
{
    if (random.Chance(20)) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(random.Next()));
    }
    return static_cast<std::int32_t>(random.Below(1000));
}

std::int32_t FileFlags(Random& random)
{
    const std::uint64_t roll = random.Below(100);
    if (roll < 6) {
        return kItemAdult;
    }
    if (roll < 9) {
        return kItemExempt;
    }
    if (roll < 10) {
        return kItemAdult | kItemExempt;
    }
    return 0;
}

std::string Folder(Random& random, const Words& words)
{
    std::string folder = random.Chance(70) ? "C:" : "D:";
    const std::uint64_t depth = 1 + random.Below(3);
    for (std::uint64_t level = 0; level < depth; ++level) {
        folder.append("\\").append(words.folders[random.Below(words.folders.size())]);
    }
    return folder;
}

} // namespace

std::vector<SharedFile> GenerateShare(std::uint64_t seed, std::size_t peerIndex)
{
    const Words& words = GetWords();
    Random random(MixSeed(seed, peerIndex));
    const std::uint64_t count = 10 + random.Below(90);
    std::vector<SharedFile> share;
    share.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        SharedFile file;
        file.path = Folder(random, words);
        file.date = Date(random);
        file.extra = Extra(random);
        if (random.Chance(4)) {
            // A special folder stands for itself in the list.
            file.flags = kItemSpecial | (random.Chance(30) ? kItemAdult : 0);
            file.size = 0;
        } else {
            file.path.append("\\").append(words.stems[random.Below(words.stems.size())]);
            if (random.Chance(50)) {
                file.path.append(" ").append(std::to_string(1 + random.Below(30)));
            }
            file.path.append(".").append(random.Pick(kExtensions));
            file.flags = FileFlags(random);
            file.size = Size(random);
        }
        share.push_back(std::move(file));
    }
    return share;
}

std::string GenerateNick(std::uint64_t seed, std::size_t peerIndex)
{
    const Words& words = GetWords();
    Random random(MixSeed(seed ^ 0x6E69636BULL, peerIndex));
    char number[16];
    std::snprintf(number, sizeof number, "%03zu", peerIndex + 1);
    switch (random.Below(3)) {
    case 0:
        return std::string("peer") + number;
    case 1:
        return words.nickParts[random.Below(6)] + number; // Korean parts come first
    default:
        return words.nickParts[6 + random.Below(4)] + words.nickParts[random.Below(6)] + number;
    }
}

std::int32_t GenerateSpeed(std::uint64_t seed, std::size_t peerIndex)
{
    constexpr std::int32_t kSpeeds[] = {0, 56, 128, 256, 512, 1024, 2048, 10000};
    Random random(MixSeed(seed ^ 0x7370656564ULL, peerIndex));
    return random.Pick(kSpeeds);
}

InfoFigures GenerateInfoFigures(std::uint64_t seed, std::size_t peerIndex)
{
    Random random(MixSeed(seed ^ 0x696E666FULL, peerIndex));
    InfoFigures figures;
    figures.download1 = std::to_string(random.Below(20));
    figures.download2 = std::to_string(random.Below(50));
    figures.upload1 = std::to_string(random.Below(20));
    figures.upload2 = std::to_string(random.Below(50));
    return figures;
}

} // namespace velkan::localnet
