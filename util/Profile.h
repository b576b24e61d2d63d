#pragma once
// The settings store: integers and texts in named sections (one section per owning class).
// The radio's logic talks to this interface only, so it runs in tests on an in-memory store.

#include <map>
#include <mutex>
#include <string>

namespace util {

class Profile {
  public:
    virtual ~Profile() = default;
    virtual int GetInt(const std::string& section, const std::string& name, int def) = 0;
    virtual void WriteInt(const std::string& section, const std::string& name, int value) = 0;
    virtual std::string GetText(const std::string& section, const std::string& name,
                                const std::string& def) = 0;
    virtual void WriteText(const std::string& section, const std::string& name,
                           const std::string& text) = 0;
};

// A store that lives only in memory; the default until start-up installs the real one.
class MemoryProfile : public Profile {
  public:
    int GetInt(const std::string& section, const std::string& name, int def) override;
    void WriteInt(const std::string& section, const std::string& name, int value) override;
    std::string GetText(const std::string& section, const std::string& name,
                        const std::string& def) override;
    void WriteText(const std::string& section, const std::string& name,
                   const std::string& text) override;

  private:
    std::mutex mutex_;
    std::map<std::string, std::string> values_;  // "section/name" -> text
};

// The process-wide store. Start-up installs the real one once; tests may swap in their own.
Profile& TheProfile();
void InstallProfile(Profile* profile);  // nullptr restores the in-memory default

}  // namespace util
