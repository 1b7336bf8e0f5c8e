#pragma once

#include "control/module/moduleobjects.h"
#include "velkanfilesearch/velkanfilesearch.h"

#include <atomic>

namespace velkan::control {

// The control's property page object: a "General" page that holds no controls yet.
class CVelkanFileSearchPropPage final : public IPropertyPageWindow, private ModuleObject {
public:
    // A new page object holding one reference, the caller's.
    static CVelkanFileSearchPropPage* Create();

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // The page widget, owned by parent (or by the caller when parent is null).
    QWidget* CreatePage(QWidget* parent) override;

private:
    CVelkanFileSearchPropPage() = default;
    ~CVelkanFileSearchPropPage() = default;

    std::atomic<std::uint32_t> m_references{1};
};

} // namespace velkan::control
