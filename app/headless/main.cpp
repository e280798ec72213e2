// velmora-headless: the dynamic-DNS updater for machines without a desktop, linked
// without any window library. It logs in with the settings file's ID and token and
// keeps the watched records up to date; its set-up is done from the shell.
#include "app/program/endpoints_from_build.h"
#include "app/headless/program_entry.h"
#include "base/system/process_memory.h"

int main(int argc, char** argv) {
    velmora::settle_process_memory();
    const velmora::Endpoints endpoints = velmora::endpoints_from_build();
    return velmora::run_without_window(argc, argv, velmora::HeadlessMode::only, endpoints, nullptr)
        .value_or(0);
}
