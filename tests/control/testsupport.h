#pragma once

#include "channel/blowfish.h"
#include "velkanfilesearch/comptr.h"
#include "channel/protectedtext.h"
#include "velkanfilesearch/velkanfilesearch.h"
#include "control/panelseam/velkanpanelaccess.h"
#include "channel/wirekey.h"

#include <QApplication>
#include <QByteArray>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace velkan::test {

inline constexpr int kWaitMs = 10000;

// Each test gets a registry file of its own in a fresh directory; the variable is put back
// afterwards.
class ScopedRegistry {
public:
    ScopedRegistry()
    {
        if (qEnvironmentVariableIsSet("VELKAN_REGISTRY")) {
            m_previous = qgetenv("VELKAN_REGISTRY");
        }
        EXPECT_TRUE(m_directory.isValid());
        Point(Path());
    }
    ~ScopedRegistry()
    {
        if (m_previous) {
            qputenv("VELKAN_REGISTRY", *m_previous);
        } else {
            qunsetenv("VELKAN_REGISTRY");
        }
    }
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;

    [[nodiscard]] std::filesystem::path Directory() const { return m_directory.path().toStdString(); }
    [[nodiscard]] std::filesystem::path Path() const { return Directory() / "registry.reg"; }
    // Points VELKAN_REGISTRY somewhere else for the rest of the test.
    static void Point(const std::filesystem::path& path) { qputenv("VELKAN_REGISTRY", QByteArray::fromStdString(path.string())); }

private:
    QTemporaryDir m_directory;
    std::optional<QByteArray> m_previous;
};

// The whole file, as bytes.
inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good());
}

// The names of the entries in a folder.
inline std::set<std::string> FileNames(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A param value for a user, as the service's pages carry it.
inline std::string Param(std::string_view userId)
{
    channel::BlowFish cipher;
    EXPECT_TRUE(cipher.Initialize(channel::kWireKey));
    return channel::EncryptToBase64(cipher, "x|" + std::string(userId) + "|c|d|e|A|0|0");
}

// An event sink that records every call. It lives on the stack of the test; references are
// only counted.
class RecordingSink final : public com::IDispatch {
public:
    struct Call {
        com::DISPID dispid;
        std::vector<com::Variant> arguments;
    };

    // answersEvents: QueryInterface answers the event interface; answersDispatch: IDispatch.
    explicit RecordingSink(bool answersEvents = false, bool answersDispatch = true)
        : m_answersEvents(answersEvents), m_answersDispatch(answersDispatch)
    {
    }

    com::HRESULT QueryInterface(const com::Guid& iid, void** object) override
    {
        if (iid == com::IID_IUnknown || (m_answersDispatch && iid == com::IID_IDispatch) ||
            (m_answersEvents && iid == control::DIID__DVelkanFileSearchEvents)) {
            *object = static_cast<com::IDispatch*>(this);
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    std::uint32_t AddRef() override { return ++references; }
    std::uint32_t Release() override { return --references; }
    com::HRESULT GetTypeInfoCount(std::uint32_t*) override { return com::E_NOTIMPL; }
    com::HRESULT GetTypeInfo(std::uint32_t, std::uint32_t, com::ITypeInfo**) override { return com::E_NOTIMPL; }
    com::HRESULT GetIDsOfNames(const std::u16string*, std::uint32_t, std::uint32_t, com::DISPID*) override
    {
        return com::E_NOTIMPL;
    }
    com::HRESULT Invoke(com::DISPID member, std::uint32_t, std::uint16_t flags,
                        const std::vector<com::Variant>& arguments, com::Variant*) override
    {
        EXPECT_EQ(flags, com::DISPATCH_METHOD);
        calls.push_back({member, arguments});
        return com::S_OK;
    }

    std::vector<Call> calls;
    std::uint32_t references = 0;

private:
    bool m_answersEvents;
    bool m_answersDispatch;
};

// Watches for a modal window while it lives: runs check on each one that comes up, then
// presses its push button (or closes it), so that a modal run returns.
class ModalCloser {
public:
    explicit ModalCloser(std::function<void(QWidget&)> check) : m_check(std::move(check))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                return;
            }
            ++m_seen;
            m_check(*modal);
            if (auto* button = modal->findChild<QPushButton*>()) {
                button->click();
            } else {
                modal->close();
            }
        });
        m_poll.start();
    }
    [[nodiscard]] int Seen() const { return m_seen; }

private:
    std::function<void(QWidget&)> m_check;
    QTimer m_poll;
    int m_seen = 0;
};

// QueryInterface into a ComPtr of the interface iid names.
template <class T, class From> com::ComPtr<T> Query(From* from, const com::Guid& iid)
{
    com::ComPtr<T> result;
    EXPECT_EQ(from->QueryInterface(iid, result.PutVoid()), com::S_OK);
    return result;
}

} // namespace velkan::test
