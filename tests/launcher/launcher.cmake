# (filled in as the program lands)
