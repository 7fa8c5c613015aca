// Entry point: start-up, the frame loop and shutdown. (Being built.)
#include <SDL.h>
#include <cstdio>
#include <cstdlib>

int main(int, char**) {
    return 0;
}
