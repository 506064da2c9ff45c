// SPDX-License-Identifier: GPL-2.0-or-later
#include "FuzzSupport.h"

#include <fstream>
#include <unistd.h>

std::filesystem::path ScratchDirectory() {
    static const std::filesystem::path dir = [] {
        const std::filesystem::path shm = "/dev/shm";
        const std::filesystem::path base =
            std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        auto path = base / ("recitor-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return dir;
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string BaselineFile(int count) {
    std::string text = "<?xml version=\"1.0\" standalone=\"no\" ?>\r\n<passages count=\"" +
                       std::to_string(count) + "\" formatversion=\"20031126\">\r\n";
    for (int verse = 1; verse <= count; ++verse) {
        char line[256];
        std::snprintf(
            line, sizeof line,
            "<psg key=\"54001%03d3\" vCount=\"01\" ctxLines=\"02\" psgLines=\"01\" "
            "psgStart=\"0000\" psgEnd=\"0010\" hintStart=\"0000\" hintEnd=\"0004\" "
            "topic=\"2311\" context=\"%d In the beginning\\n%d was the Word\"> </psg>\r\n",
            verse, verse, verse + 1);
        text += line;
    }
    return text + "</passages>\r\n";
}
