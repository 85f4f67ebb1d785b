/* stb_image's decoder, built once, for PNG only, from memory only. Its own
 * translation unit and C, as it is written: the core's static checks look at
 * our code in window/, not at stb's.
 *
 * The program has one thread, so the failure reason need not be thread-local
 * (which would link MinGW's TLS emulation). The longer failure phrases are
 * plain literals; the short ones can come out empty. No card is near 1024
 * pixels; the cap keeps a forged header from asking for gigabytes. */
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_THREAD_LOCALS
#define STBI_FAILURE_USERMSG
#define STBI_MAX_DIMENSIONS 1024
#define STB_IMAGE_IMPLEMENTATION

/* Its folder is a system include (window/CMakeLists.txt), which keeps GCC and
 * clang quiet about stb's code; ours stays -Wall -Wextra. */
#if defined(_MSC_VER)
#pragma warning(push, 0)
#endif
#include <stb_image.h>
#if defined(_MSC_VER)
#pragma warning(pop)
#endif
