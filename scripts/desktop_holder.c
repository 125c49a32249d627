/* Keeps the Wine desktop up for a whole run of programs.
 *
 * Wine starts its desktop process (explorer.exe /desktop) for the first program that needs the
 * desktop, and closes it again once no program uses it. Without a program that outlives the
 * others, every test program started the desktop anew (one to four seconds each), and the
 * desktop process inherited the standard output of the program that started it: a test runner
 * reading that output then waited for the desktop to end, long after the test had passed.
 *
 * This program makes a hidden window (so it uses the desktop), writes the file named by its
 * argument once the desktop is up, and waits until it is ended (wineserver -k).
 */
#include <windows.h>

#include <stdio.h>

int main(int argc, char** argv) {
    HWND window = CreateWindowExA(0, "STATIC", "desktop holder", WS_POPUP, 0, 0, 1, 1, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
    if (!window) return 1;
    if (argc > 1) {
        FILE* ready = fopen(argv[1], "w");
        if (ready) fclose(ready);
    }
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
