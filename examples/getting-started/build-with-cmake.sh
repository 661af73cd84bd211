cmake -B build -DCMAKE_PREFIX_PATH="$HOME/.local"
cmake --build build
./build/first_filter
