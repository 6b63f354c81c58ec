// File helpers with the library's trace lines: existence tests, directories, text files, hashing.
// Paths are UTF-8, as the real library's are under the game's UTF-8 code page on Windows.
#include "os.h"
#include "rl_internal.h"
#include "sha256_variant.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

const char* file_extension(const char* file_name) {
    if (!file_name) return nullptr;
    const char* dot = std::strrchr(file_name, '.');
    if (!dot || dot == file_name) return nullptr;
    const char* slash = std::strpbrk(dot, "/\\");
    return slash ? nullptr : dot;
}

unsigned char* load_file_data(const char* file_name, int* size) {
    *size = 0;
    if (!file_name) {
        TraceLog(LOG_WARNING, "FILEIO: File name provided is not valid");
        return nullptr;
    }
    std::FILE* file = os_open_file(file_name, "rb");
    if (!file) {
        TraceLog(LOG_WARNING, "FILEIO: [%s] Failed to open file", file_name);
        return nullptr;
    }
    unsigned char* data = nullptr;
    std::fseek(file, 0, SEEK_END);
    long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (length > 0 && length <= 0x7fffffff) {
        data = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(length)));
        std::size_t count = data ? std::fread(data, 1, static_cast<std::size_t>(length), file) : 0;
        *size = static_cast<int>(count);
        if (count != static_cast<std::size_t>(length)) {
            TraceLog(LOG_WARNING, "FILEIO: [%s] File partially loaded (%i bytes out of %i)", file_name,
                     static_cast<int>(count), static_cast<int>(length));
        } else {
            TraceLog(LOG_INFO, "FILEIO: [%s] File loaded successfully", file_name);
        }
    } else {
        TraceLog(LOG_WARNING, "FILEIO: [%s] Failed to read file", file_name);
    }
    std::fclose(file);
    if (data && *size == 0) {
        std::free(data);
        data = nullptr;
    }
    return data;
}

// True for directories too, as the library's access() test is.
bool FileExists(const char* fileName) {
    if (!fileName) return false;
    std::error_code error;
    return fs::exists(os_path(fileName), error);
}

bool DirectoryExists(const char* dirPath) {
    if (!dirPath) return false;
    std::error_code error;
    return fs::is_directory(os_path(dirPath), error);
}

// Creates every missing parent; 0 on success or when the directory is already there.
int MakeDirectory(const char* dirPath) {
    if (!dirPath || !dirPath[0]) return -1;
    std::error_code error;
    fs::path path = os_path(dirPath);
    if (fs::is_directory(path, error)) return 0;
    fs::create_directories(path, error);
    return fs::is_directory(path, error) ? 0 : -1;
}

namespace {

constexpr std::size_t PATH_TEXT_SIZE = 4096;

// A UTF-8 text into a static buffer of the library's, cut short when longer.
const char* into_buffer(char (&buffer)[PATH_TEXT_SIZE], const std::u8string& text) {
    std::size_t length = std::min(text.size(), PATH_TEXT_SIZE - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return buffer;
}

}  // namespace

const char* GetWorkingDirectory(void) {
    static char directory[PATH_TEXT_SIZE];
    std::error_code error;
    fs::path path = fs::current_path(error);
    return into_buffer(directory, error ? std::u8string() : path.u8string());
}

// The folder of the program's file with the system's separator at its end ("./" when the system
// does not say).
const char* GetApplicationDirectory(void) {
    static char directory[PATH_TEXT_SIZE];
    std::string executable = os_executable_path();
    if (executable.empty()) return into_buffer(directory, u8"./");
    fs::path folder = os_path(executable).parent_path();
    return into_buffer(directory, (folder / "").make_preferred().u8string());
}

// Logs the path as it was given, not the folder it leads to.
bool ChangeDirectory(const char* dirPath) {
    std::error_code error;
    if (dirPath && dirPath[0]) fs::current_path(os_path(dirPath), error);
    if (!dirPath || !dirPath[0] || error) {
        TraceLog(LOG_WARNING, "SYSTEM: Failed to change to directory: %s", dirPath ? dirPath : "(null)");
        return false;
    }
    TraceLog(LOG_INFO, "SYSTEM: Working Directory: %s", dirPath);
    return true;
}

char* LoadFileText(const char* fileName) {
    if (!fileName) {
        TraceLog(LOG_WARNING, "FILEIO: File name provided is not valid");
        return nullptr;
    }
    std::FILE* file = os_open_file(fileName, "rt");
    if (!file) {
        TraceLog(LOG_WARNING, "FILEIO: [%s] Failed to open text file", fileName);
        return nullptr;
    }
    char* text = nullptr;
    std::fseek(file, 0, SEEK_END);
    long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (length > 0) {
        text = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
        if (text) {
            // Text mode may translate line ends and read fewer bytes than the file holds.
            std::size_t count = std::fread(text, 1, static_cast<std::size_t>(length), file);
            text[count] = '\0';
            TraceLog(LOG_INFO, "FILEIO: [%s] Text file loaded successfully", fileName);
        }
    } else {
        TraceLog(LOG_WARNING, "FILEIO: [%s] Failed to read text file", fileName);
    }
    std::fclose(file);
    return text;
}

void UnloadFileText(char* text) { std::free(text); }

bool SaveFileText(const char* fileName, const char* text) {
    if (!fileName) {
        TraceLog(LOG_WARNING, "FILEIO: File name provided is not valid");
        return false;
    }
    std::FILE* file = os_open_file(fileName, "wt");
    if (!file) {
        TraceLog(LOG_WARNING, "FILEIO: [%s] Failed to open text file", fileName);
        return false;
    }
    int count = std::fprintf(file, "%s", text ? text : "");
    bool closed = std::fclose(file) == 0;
    if (count < 0 || !closed) {
        TraceLog(LOG_WARNING, "FILEIO: [%s] Failed to write text file", fileName);
    } else {
        TraceLog(LOG_INFO, "FILEIO: [%s] Text file saved successfully", fileName);
    }
    return closed;
}

unsigned int* ComputeSHA256(unsigned char* data, int dataSize) {
    static unsigned int words[8];  // shared by every caller, as in the library
    uint32_t result[8];
    sha256_variant_words(data, (data && dataSize > 0) ? dataSize : 0, result);
    for (int i = 0; i < 8; ++i) words[i] = result[i];
    return words;
}
