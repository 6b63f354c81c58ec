#include "commandline.h"

#include <string>
#include <vector>

#include "os.h"

extern bool skip_splash;
extern bool debug_mode;

void apply_cli_arguments(Array_View<const String> arguments) {
    for (String argument : arguments) {
        if (argument == "--skip-splash-screen" || argument == "/SKIP:splash") skip_splash = true;
        if (argument == "--debug" || argument == "/DEBUG:true") debug_mode = true;
    }
}

void cli_arguments() {
    std::vector<std::string> texts = os_command_line();
    std::vector<String> arguments(texts.begin(), texts.end());
    apply_cli_arguments({int64_t(arguments.size()), arguments.data()});
}
