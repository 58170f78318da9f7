/* A C program built with cc65's C64 library, whose console routines move
   the cursor through PLOT and $EA24, write straight into screen and colour
   RAM, and read keys through $E5B4. It shows where its text landed (in
   lower case, which cc65's character map turns into the C64's capitals). */
#include <conio.h>

static unsigned char color_at(unsigned char x, unsigned char y) {
  return *(volatile unsigned char*)(0xD800u + y * 40u + x) & 0x0F;
}

int main(void) {
  char key;
  clrscr();
  textcolor(COLOR_YELLOW);
  gotoxy(5, 3);
  cputs("conio at 5,3");
  textcolor(COLOR_RED);
  gotoxy(30, 10);
  cputs("red");
  gotoxy(0, 12);
  cputs("press a key");
  key = cgetc();
  gotoxy(2, 14);
  cputs("key ");
  cputc(key);
  gotoxy(0, 16);
  cputs(color_at(5, 3) == COLOR_YELLOW && color_at(32, 10) == COLOR_RED ? "colours right"
                                                                        : "colours wrong");
  gotoxy(0, 18);
  return 0;
}
