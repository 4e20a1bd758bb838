// Lets a layer build as a library before its first source exists.
