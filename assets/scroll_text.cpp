// The scroll text: 80 rows, most of them short; the empty rows keep their
// 20-pixel places so that the text comes in blocks.
#include "app/form.h"

const char* const ScrollLines[81] = {
    "",  // no row 0
    "still",  // 1
    "I wonder",  // 2
    "why",  // 3
    "most",  // 4
    "demos",  // 5
    "are",  // 6
    "so",  // 7
    "predictable",  // 8
    "these days",  // 9
    "",  // 10
    "and who said",  // 11
    "that minimalisms",  // 12
    "has something to do",  // 13
    "with flatshaded cubes",  // 14
    "",  // 15
    "data is not",  // 16
    "information is not",  // 17
    "knowledge is not",  // 18
    "wisdom",  // 19
    "",  // 20
    "and life is not",  // 21
    "your time",  // 22
    "nor you money",  // 23
    "",  // 24
    "10100100101000111",  // 25
    "010111110101000110",  // 26
    "100100110001110",  // 27
    "0001010001001",  // 28
    "",  // 29
    "end",  // 30
    "of",  // 31
    "scroll",  // 32
    "",  // 33
    "",  // 34
    "or not?",  // 35
    "",  // 36
    "",  // 37
    "",  // 38
    "humm?!",  // 39
    "",  // 40
    "",  // 41
    "",  // 42
    "",  // 43
    "",  // 44
    "well, I guess",  // 45
    "you have found",  // 46
    "some sort of hidden part",  // 47
    "but it was not that hard",  // 48
    "to find anyway...",  // 49
    "",  // 50
    "some greetings maybe?",  // 51
    "",  // 52
    "",  // 53
    "so here we gogo",  // 54
    "",  // 55
    "all dudes @ #quarzlab",  // 56
    "all dudes @ #nordpix",  // 57
    "",  // 58
    "all the groups",  // 59
    "who make cool stuff",  // 60
    "but never win a party",  // 61
    "",  // 62
    "",  // 63
    "still some lines to go here",  // 64
    "",  // 65
    "",  // 66
    "don't forget to check out",  // 67
    "www.zub-crew.example",  // 68
    "",  // 69
    "bla...",  // 70
    "",  // 71
    "I'm seriously running out",  // 72
    "of ideas for this scroll text",  // 73
    "",  // 74
    "jojojo...",  // 75
    "",  // 76
    "",  // 77
    "",  // 78
    "wir lieben euch alle ;-)",  // 79
    "",  // 80
};
