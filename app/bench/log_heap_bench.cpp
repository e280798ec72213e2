// The window's memory while the run log grows for months: the heap in use after the
// first 1,000 log lines and after 20,000, appended to the real Qt window through its
// control operations, as the update loop does. The window keeps only its newest lines,
// so the two figures should stay within a couple of megabytes of each other.
//
//   log_heap_bench [lines]      (default 20000; run with QT_QPA_PLATFORM=offscreen)
#include <malloc.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/qt/main_window.h"
#include "app/qt/qt_controls.h"
#include "base/controls/control_names.h"
#include "base/gbk.h"

namespace {

double heap_megabytes() {
    malloc_trim(0);
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

// A line as long as the loop's usual ones.
velmora::Text log_line(int n) {
    return "[" + velmora::gbk("2026年12月10日8时30分") + std::to_string(n % 60) +
           velmora::gbk("秒]：公网IP无变化，无需更新，120秒后重新检测") + "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    const int total = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 20000;
    QApplication application(argc, argv);
    velmora::MainWindow window;
    velmora::QtControls controls(&window);
    window.show();
    QApplication::processEvents();

    double after_first = 0;
    for (int n = 1; n <= total; ++n) {
        controls.append_to_edit(velmora::control::run_log(), {log_line(n)});
        if (n % 100 == 0) {
            QApplication::processEvents();
        }
        if (n == 1000) {
            after_first = heap_megabytes();
        }
    }
    QApplication::processEvents();
    const double after_all = heap_megabytes();
    std::printf("heap in use after 1000 lines:  %8.2f MB\n", after_first);
    std::printf("heap in use after %d lines: %8.2f MB\n", total, after_all);
    std::printf("growth:                        %8.2f MB\n", after_all - after_first);
    return 0;
}
