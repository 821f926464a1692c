// Two pieces of libstdc++'s runtime, replaced in the shipped binaries
// (velmora.dll, velmora-config.exe) by smaller ones. Each definition here keeps
// a whole library member out of the link, together with what that member
// drags in; none changes what the code catches.
//
// Both files link this source directly, not from a library, so that these
// are the definitions the linker finds before it reaches libstdc++. Should new
// code make the library throw in a way not listed below, the linker reports
// a multiple definition of one of these functions: add the missing one here.
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace __gnu_cxx {

// The default handler prints the uncaught exception's type name to standard
// error before it aborts, and for that links the whole name demangler and the
// C runtime's formatted output with its floating-point engine. Only a bug lets
// an exception escape here (every COM method and window procedure catches at
// its edge, velmora-config's main catches running out of memory), and a GUI
// host has no console to print to: the process aborts as before, unprinted.
void __verbose_terminate_handler();
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

namespace {

// What the containers throw for a misuse or an impossible size. The
// library's own classes (std::length_error, std::out_of_range, ...) carry
// their message in a reference-counted string of the old string ABI, whose
// library member links a second full std::string and std::random_device.
// The code catches only std::bad_alloc and std::exception, so an exception
// derived from std::exception with the library's message serves it the same.
class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* message) noexcept : message_(message) {}
    const char* what() const noexcept override { return message_; }

private:
    const char* message_;  // the library passes string literals
};

}  // namespace

namespace std {

// The whole set that libstdc++'s own member of these functions defines, so
// that no use of any of them pulls that member in beside these.
void __throw_bad_alloc();
void __throw_bad_array_new_length();
void __throw_bad_cast();
void __throw_bad_typeid();
void __throw_bad_exception();
void __throw_logic_error(const char* message);
void __throw_domain_error(const char* message);
void __throw_invalid_argument(const char* message);
void __throw_length_error(const char* message);
void __throw_out_of_range(const char* message);
void __throw_out_of_range_fmt(const char* format, ...);
void __throw_runtime_error(const char* message);
void __throw_range_error(const char* message);
void __throw_overflow_error(const char* message);
void __throw_underflow_error(const char* message);

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char* message) { throw LibraryError(message); }
void __throw_domain_error(const char* message) { throw LibraryError(message); }
void __throw_invalid_argument(const char* message) { throw LibraryError(message); }
void __throw_length_error(const char* message) { throw LibraryError(message); }
void __throw_out_of_range(const char* message) { throw LibraryError(message); }
// The message is the library's format, its numbers not filled in.
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }
void __throw_runtime_error(const char* message) { throw LibraryError(message); }
void __throw_range_error(const char* message) { throw LibraryError(message); }
void __throw_overflow_error(const char* message) { throw LibraryError(message); }
void __throw_underflow_error(const char* message) { throw LibraryError(message); }

}  // namespace std
