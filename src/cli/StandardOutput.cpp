#include "StandardOutput.h"

#include <cerrno>
#include <system_error>

StandardOutput::StandardOutput(std::FILE* file) : file_(file) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

StandardOutput::~StandardOutput() {
    sync();
}

bool StandardOutput::writeThrough(const char* data, std::size_t count) {
    if (!failure_.empty())
        return false;
    errno = 0;
    if (count > 0 && std::fwrite(data, 1, count, file_) != count) {
        const int code = errno;
        failure_ = code != 0 ? std::generic_category().message(code) : "the write failed";
        return false;
    }
    return true;
}

bool StandardOutput::emptyBuffer() {
    const auto pending = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return writeThrough(buffer_.data(), pending);
}

StandardOutput::int_type StandardOutput::overflow(int_type ch) {
    if (!emptyBuffer())
        return traits_type::eof();
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return traits_type::not_eof(ch);
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

std::streamsize StandardOutput::xsputn(const char* data, std::streamsize count) {
    if (count <= epptr() - pptr()) {
        traits_type::copy(pptr(), data, static_cast<std::size_t>(count));
        pbump(static_cast<int>(count));
        return count;
    }
    if (!emptyBuffer() || !writeThrough(data, static_cast<std::size_t>(count)))
        return 0;
    return count;
}

int StandardOutput::sync() {
    if (!emptyBuffer())
        return -1;
    errno = 0;
    if (std::fflush(file_) != 0) {
        const int code = errno;
        if (failure_.empty())
            failure_ = code != 0 ? std::generic_category().message(code) : "the write failed";
        return -1;
    }
    return 0;
}

bool finishReport(std::ostream& out, std::ostream& err, const std::string& failureMessage) {
    out << "\n";
    out.flush();
    if (out)
        return true;
    err << failureMessage;
    if (const auto* standard = dynamic_cast<const StandardOutput*>(out.rdbuf());
        standard != nullptr && !standard->failure().empty())
        err << " (" << standard->failure() << ")";
    err << "\n";
    return false;
}
