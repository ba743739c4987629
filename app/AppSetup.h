#pragma once

// The application-wide settings of the program, made once before the main
// window: by main() and by the tests that show its windows on an X server.
void configureApplication();
