// Fills a list the way the program's loaders do (row by row, line by line),
// sorts it and shows the last row; prints the time taken per row count.
//   QT_QPA_PLATFORM=offscreen build/bench/listbox_fill_bench [rows...]
#include <QApplication>
#include <QElapsedTimer>
#include <ZListBox.h>
#include <ZListBoxItem.h>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QList<int> sizes{500, 2000, 8000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes << QString::fromLocal8Bit(argv[i]).toInt();
    }
    for (int rows : sizes) {
        ZListBox list(QStringLiteral("%I%M"), nullptr, 0, ZSkinService::clsZListBox);
        list.resize(240, 260);
        list.show();
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < rows; ++i) {
            auto* item = new ZListBoxItem(&list, QStringLiteral("%I%M"));
            item->appendSubItem(1, QStringLiteral("Application %1").arg(rows - i));
            item->appendSubItem(1, QStringLiteral("Phone"));
            list.insertItem(item, -1, true);
        }
        list.sort(true);
        list.setCurrentItem(rows - 1);
        list.ensureCurrentVisible();
        QApplication::processEvents();
        std::printf("%6d rows: %6lld ms\n", rows, static_cast<long long>(timer.elapsed()));
    }
    return 0;
}
