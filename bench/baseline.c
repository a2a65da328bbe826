/* Start-up baseline: the same job as plainly as C does it, with scanf and
   printf. Not exact on every platform: it is only here to be timed. */
#include <stdio.h>

int main(void) {
    int w = 0, d = 0;
    if (scanf("%d%d", &w, &d) != 2) return 1;
    if (w % 10 != 0) w += 10;
    if (d % 50 != 0) d += 50;
    if (d < 0) return 0;
    long double c = (long double)w * 0.5L * d;
    if (d > 1999) {
        c *= 0.90;
    } else if (d > 999) {
        c *= 0.92;
    } else if (d > 499) {
        c *= 0.95;
    } else if (d > 249) {
        c *= 0.98;
    }
    printf("%.2f", (double)(float)c);
    return 0;
}
