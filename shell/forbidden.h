// Included before every file of the game's code (game/, sound/, input/ and
// the shell's own files) by the build, never by hand. The game reaches the
// world only through shell/platform/platform.h: its time is the platform's
// tick count, its waits are busy loops that call DoEvents, its chance is the
// platform's Rnd, its files are the sound device's, and it ends only through
// EndProgram. So the names that would go round the platform are made compile
// errors here, each naming what to use instead: a use reads as
// "'use_platform_GetTickCount' was not declared".
//
// The standard headers that declare those names come first, so that their
// own declarations are untouched and a later #include of them changes
// nothing.
#pragma once

#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iostream>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// Clocks: the game's only time is the platform's millisecond tick count.
#define time use_platform_GetTickCount
#define clock use_platform_GetTickCount
#define clock_gettime use_platform_GetTickCount
#define gettimeofday use_platform_GetTickCount
#define steady_clock use_platform_GetTickCount
#define system_clock use_platform_GetTickCount
#define high_resolution_clock use_platform_GetTickCount
#define GetTickCount64 use_platform_GetTickCount
#define QueryPerformanceCounter use_platform_GetTickCount

// Sleeping: every wait is a busy loop that lets the window work.
#define sleep use_a_busy_loop_with_platform_DoEvents
#define usleep use_a_busy_loop_with_platform_DoEvents
#define nanosleep use_a_busy_loop_with_platform_DoEvents
#define sleep_for use_a_busy_loop_with_platform_DoEvents
#define sleep_until use_a_busy_loop_with_platform_DoEvents
#define Sleep use_a_busy_loop_with_platform_DoEvents

// Threads: the game has one.
#define thread the_game_has_one_thread
#define jthread the_game_has_one_thread
#define async the_game_has_one_thread
#define pthread_create the_game_has_one_thread
#define CreateThread the_game_has_one_thread

// Random numbers: reseeded and drawn through the platform.
#define rand use_platform_Rnd
#define srand use_platform_Randomize
#define random_device use_platform_Randomize
#define mt19937 use_platform_Rnd
#define default_random_engine use_platform_Rnd
#define drand48 use_platform_Rnd

// Files and folders: sounds are read by the sound device, from the folder
// LoadSounds makes current.
#define fopen use_the_sound_device
#define freopen use_the_sound_device
#define ifstream use_the_sound_device
#define ofstream use_the_sound_device
#define fstream use_the_sound_device
#define filesystem use_platform_ProgramFolder_and_ChangeDirectory
#define chdir use_platform_ChangeDirectory
#define getcwd use_platform_ProgramFolder

// The environment: the game has no settings.
#define getenv the_game_reads_no_environment
#define secure_getenv the_game_reads_no_environment
#define setenv the_game_reads_no_environment
#define putenv the_game_reads_no_environment
#define system the_game_starts_no_program
#undef popen  // mingw-w64's <stdio.h> makes it a macro for _popen
#define popen the_game_starts_no_program

// Ending: from any depth, through the platform.
#define exit use_platform_EndProgram
#define _exit use_platform_EndProgram
#define _Exit use_platform_EndProgram
#define quick_exit use_platform_EndProgram
#define abort use_platform_EndProgram
#define ExitProcess use_platform_EndProgram
