package_windows() { :; }
