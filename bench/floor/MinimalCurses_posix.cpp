// The floor of the terminal start-up benchmark: the least a full-screen ncursesw program does
// before it waits for a key. A framed 76 x 24 window with a few lines of text, drawn once.
#include <clocale>

#include <curses.h>

int main()
{
    std::setlocale(LC_ALL, "");
    initscr();
    cbreak();
    noecho();
    keypad(stdscr, TRUE);
    WINDOW* frame = newwin(24, 76, 0, 0);
    box(frame, 0, 0);
    mvwaddstr(frame, 0, 2, " Floor ");
    for (int row = 2; row < 22; row += 4)
        mvwaddstr(frame, row, 3, "A minimal full-screen program: one frame, then a key ends it.");
    mvwaddstr(frame, 22, 60, "[ Ende ]");
    refresh();
    wrefresh(frame);
    wgetch(frame);
    delwin(frame);
    endwin();
    return 0;
}
