#pragma once

// Marks what the host library exports: everything else in it stays hidden, so the library's
// interface is exactly what its headers declare.
#define VELKAN_HOST_API __attribute__((visibility("default")))
