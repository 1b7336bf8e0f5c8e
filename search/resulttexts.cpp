#include "search/resulttexts.h"

#include "channel/cp949.h"
#include "channel/decimal.h"

namespace velkan::search {

namespace {

std::string WithUnit(std::int64_t value, const char* unit)
{
    return decimal::GroupDigits(static_cast<double>(value)) + unit;
}

} // namespace

std::string SizeText(std::int64_t bytes)
{
    return bytes < 1024 ? WithUnit(bytes, "B") : WithUnit(bytes / 1024, "KB");
}

std::string InfoSizeText(std::int64_t bytes)
{
    constexpr std::int64_t kKilo = 1024;
    if (bytes < kKilo) {
        return WithUnit(bytes, "B");
    }
    if (bytes < kKilo * kKilo) {
        return WithUnit(bytes / kKilo, "KB");
    }
    if (bytes < kKilo * kKilo * kKilo) {
        return WithUnit(bytes / kKilo / kKilo, "MB");
    }
    return WithUnit(bytes / kKilo / kKilo / kKilo, "GB");
}

std::string_view FolderOf(std::string_view path)
{
    const std::size_t slash = cp949::FindLastByte(path, '\\');
    return slash == cp949::npos ? std::string_view{} : path.substr(0, slash);
}

std::string_view FileNameOf(std::string_view path)
{
    const std::size_t slash = cp949::FindLastByte(path, '\\');
    return slash == cp949::npos ? path : path.substr(slash + 1);
}

std::string_view DateColumnText(std::string_view date)
{
    return cp949::CutToFit(date, 10);
}

int SpeedLevel(std::int32_t speed)
{
    if (speed > 201) {
        return kTopSpeedLevel;
    }
    if (speed > 151) {
        return 4;
    }
    if (speed > 101) {
        return 3;
    }
    if (speed > 41) {
        return 2;
    }
    return 1;
}

} // namespace velkan::search
