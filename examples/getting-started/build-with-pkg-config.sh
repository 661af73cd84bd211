export PKG_CONFIG_PATH="$HOME/.local/lib/pkgconfig"
c++ -std=c++20 -o first_filter first_filter.cpp $(pkg-config --cflags --libs vantor)
./first_filter
