// In progress: replaced by the real implementation.
#include "platform/avifile/avifile.h"
namespace platform {
struct AviStream::Impl { AviStreamInfo info; };
struct AviFrameSource::Impl { std::string error; };
AviStream::AviStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
AviStream::~AviStream() = default;
std::unique_ptr<AviStream> AviStream::Open(const std::string&, std::string*) { return nullptr; }
const AviStreamInfo& AviStream::Info() const { return m_impl->info; }
AviFrameSource::AviFrameSource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
AviFrameSource::~AviFrameSource() = default;
std::unique_ptr<AviFrameSource> AviFrameSource::Open(AviStream&, std::string*) { return nullptr; }
const uint8_t* AviFrameSource::GetFrame(uint32_t) { return nullptr; }
void AviFrameSource::ReadAhead(uint32_t, uint32_t) {}
const std::string& AviFrameSource::LastError() const { return m_impl->error; }
}  // namespace platform
