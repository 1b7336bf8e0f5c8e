#pragma once

#include <string_view>

namespace velkan::search {

// The image list behind the results list: folder pictures first, then one picture per file
// extension met.
class ImageIndexProvider {
public:
    virtual ~ImageIndexProvider() = default;
    virtual int ImageIndexFor(std::string_view path) = 0;
    virtual int BuiltInImageIndex(int picture) = 0;
};

// Built-in folder pictures used for folder rows.
constexpr int kClosedFolderPicture = 1;
constexpr int kAdultFolderPicture = 4;
constexpr int kPersonFolderPicture = 6;

} // namespace velkan::search
