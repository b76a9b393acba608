#pragma once
// LineTap: an output stream that passes everything on to another stream and
// hands each complete line (without its newline) to a callback as well, so
// that the run's event log can also go to a web page or a report.
#include <functional>
#include <ostream>
#include <streambuf>
#include <string>

namespace holdstill::sim {

class LineTap : public std::ostream {
 public:
  using OnLine = std::function<void(const std::string&)>;
  LineTap(std::ostream& out, OnLine onLine) : std::ostream(&buffer_), buffer_(out, std::move(onLine)) {}

 private:
  class Buffer : public std::streambuf {
   public:
    Buffer(std::ostream& out, OnLine onLine) : out_(out), onLine_(std::move(onLine)) {}

   protected:
    int_type overflow(int_type c) override {
      if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
      const char ch = traits_type::to_char_type(c);
      out_.put(ch);
      if (ch == '\n') {
        out_.flush();
        onLine_(line_);
        line_.clear();
      } else {
        line_ += ch;
      }
      return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
      for (std::streamsize i = 0; i < n; ++i) overflow(traits_type::to_int_type(s[i]));
      return n;
    }

   private:
    std::ostream& out_;
    OnLine onLine_;
    std::string line_;
  };
  Buffer buffer_;
};

}  // namespace holdstill::sim
